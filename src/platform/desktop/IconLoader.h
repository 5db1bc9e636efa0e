// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace drowsel {

// Turns what the desktop knows of an application's icon into a QIcon.
class IconLoader {
public:
    // The first of these names the icon theme has; null when it has none.
    static QIcon fromThemeNames(const std::vector<std::string>& names);
    // An image file a desktop entry names. Untrusted: a file that is not an
    // image, or a raster image larger than maximumSide, is refused before
    // anything is decoded, with the reason in `problem`.
    static QIcon fromFile(const std::string& path, std::string& problem);
    // The images of a _NET_WM_ICON value (width, height, then width × height
    // ARGB pixels, repeated), each size added so the icon picks the best one.
    // Untrusted: parsing stops at the first image whose size is implausible
    // or larger than the data. Null when no image is valid.
    static QIcon fromNetWmIcon(std::span<const std::uint32_t> data);
    // Draws the icon for an application nothing better is known of.
    static QIcon generic();

    static constexpr std::uint32_t maximumSide = 1024;
};

} // namespace drowsel
