#include "capture/Clock.h"

#include <chrono>

namespace kelmora::capture {

double SteadyClock::seconds() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace kelmora::capture
