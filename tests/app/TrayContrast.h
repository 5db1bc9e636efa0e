// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace drowsel {

// What the tray tests measure in their screenshots: how a glyph stands out.

inline double luminance(QColor colour) {
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

// WCAG's contrast ratio.
inline double contrast(QColor one, QColor other) {
    const double first = luminance(one);
    const double second = luminance(other);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// The most frequent colour of the pixels the filter lets through.
inline QColor mostFrequent(const QImage& image, const std::function<bool(int, int)>& counted) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            counts[image.pixel(x, y)] += counted(x, y) ? 1 : 0;
        }
    }
    return QColor(std::max_element(counts.begin(), counts.end(), [](auto one, auto other) {
                      return one.second < other.second;
                  })->first);
}

} // namespace drowsel
