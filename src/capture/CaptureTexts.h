#pragma once
// The texts of the capture loop: time labels, status lines, the summary and the advice.
#include <string>

namespace kelmora::capture {

// Seconds as hh:mm.ss ("00:01.00" for 60 s); seconds rounded to whole, halves to even.
std::string elapsedTimeText(double seconds);
// The time-left label: the same form, from seconds already rounded to 2 decimals.
std::string estimatedTimeText(double seconds);
// A number as the program shows it by default: at most 2 decimals, no trailing zeros ("0.14", "1.5", "0").
std::string numberText(double value);

std::string frameStatusText(int frameNumber, int totalFrames, double stepSeconds);
std::string summaryText(int lastSnapFrame, const std::string& elapsed, double sessionSnapAverage,
                        const std::string& swfPath);
std::string lostFramesAdvice();

inline constexpr const char* kFeedbackAddress = "feedback@kelmora.example.org";
inline constexpr const char* kCantStoreImage = "Can't store image.\r\n\r\nDisk full!";
inline constexpr const char* kCantWriteJpg = "Error: Can't write jpg-file.";

}  // namespace kelmora::capture
