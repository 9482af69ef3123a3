#pragma once

#include <cstdint>
#include <span>

// The program's resource files (src/window/res, drawn by
// scripts/make-resources.py), embedded as bytes for toolkits that cannot read
// an executable's resource section. Library verolink_resources.
namespace verolink::resources {

std::span<const std::uint8_t> BannerPng();            // banner.png: 301 x 98, RGB
std::span<const std::uint8_t> ProgramIconPng();       // verolink.png: the icon, RGBA
std::span<const std::uint8_t> HandCursorPng();        // hand.png: 32 x 32, RGBA, hot spot (5, 0)
std::span<const std::uint8_t> ApplicationManifest();  // verolink.manifest: UTF-8

}  // namespace verolink::resources
