// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

#include <cstdint>
#include <span>
#include <string>

namespace drowsel {

// Turns what the desktop knows of an application's icon into a QIcon.
class IconLoader {
public:
    // The icon a desktop entry names, through the icon theme; null when the
    // entry or its icon is not found.
    static QIcon fromEntryAt(const std::string& path);
    // The images of a _NET_WM_ICON value (width, height, then width × height
    // ARGB pixels, repeated), each size added so the icon picks the best one.
    // Untrusted: parsing stops at the first image whose size is implausible
    // or larger than the data. Null when no image is valid.
    static QIcon fromNetWmIcon(std::span<const std::uint32_t> data);
    // The icon for an application nothing better is known of.
    static QIcon generic();

    static constexpr std::uint32_t maximumSide = 1024;
};

} // namespace drowsel
