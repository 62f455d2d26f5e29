#pragma once
// Timer readings for the capture loop: seconds on a monotonic clock, so a conversion that runs
// over midnight or across a clock change still measures right.
namespace kelmora::capture {

class Clock {
public:
    virtual ~Clock() = default;
    virtual double seconds() const = 0;
};

class SteadyClock : public Clock {
public:
    double seconds() const override;
};

}  // namespace kelmora::capture
