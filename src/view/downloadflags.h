#pragma once
// Bits of the download-control flags the view hands its browser.
#include <cstdint>

inline constexpr uint32_t kDlImages = 0x10;
inline constexpr uint32_t kDlVideos = 0x20;
inline constexpr uint32_t kDlSounds = 0x40;
inline constexpr uint32_t kDlNoScripts = 0x80;
inline constexpr uint32_t kDlNoJava = 0x100;
inline constexpr uint32_t kDlNoActiveX = 0x600;
