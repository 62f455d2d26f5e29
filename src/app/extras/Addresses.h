#pragma once
// Every address of the maker and of the Flash vendor the program opens, kept together so a move of
// the web site touches one file. Web addresses are written without a scheme; openLink adds it.
namespace kelmora::app {

inline constexpr const char* kMakerSiteName = "kelmora.example.org";
inline constexpr const char* kHomepageAddress = "kelmora.example.org/?category=8&item=37&ref=kelmora";
inline constexpr const char* kBoardAddress = "kelmora.example.org/board/?board=3";
inline constexpr const char* kFeedbackMail = "feedback@kelmora.example.org";
inline constexpr const char* kSupportMail = "feedback@kelmora.example.org";
inline constexpr const char* kFlashVendorSiteName = "flash-vendor.example.com";
inline constexpr const char* kFlashDownloadAddress = "flash-vendor.example.com/player/download/";

}  // namespace kelmora::app
