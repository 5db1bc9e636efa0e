// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/IconLoader.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cstring>

namespace drowsel {

namespace {

QIcon drawnApplicationIcon() {
    constexpr int side = 64;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x55, 0x5a, 0x64), 3));
    painter.setBrush(QColor(0xe8, 0xea, 0xee));
    painter.drawRoundedRect(QRectF(6, 10, side - 12, side - 20), 6, 6);
    painter.fillRect(QRectF(8, 12, side - 16, 8), QColor(0x55, 0x5a, 0x64));
    painter.end();
    return QIcon(pixmap);
}

} // namespace

QIcon IconLoader::fromThemeNames(const std::vector<std::string>& names) {
    for (const auto& name : names) {
        const auto qName = QString::fromStdString(name);
        if (QIcon::hasThemeIcon(qName)) {
            return QIcon::fromTheme(qName);
        }
    }
    return {};
}

// Vector images are drawn at the size asked for, whatever size they declare.
QIcon IconLoader::fromFile(const std::string& path, std::string& problem) {
    const auto file = QString::fromStdString(path);
    QImageReader reader(file);
    if (!QFileInfo(file).isFile() || !reader.canRead()) {
        problem = "not a readable image";
        return {};
    }
    const QSize size = reader.size();
    const bool isVector = reader.format() == "svg" || reader.format() == "svgz";
    if (!isVector && (!size.isValid() || std::max(size.width(), size.height()) > int(maximumSide))) {
        problem = "larger than " + std::to_string(maximumSide) + " pixels a side";
        return {};
    }
    return QIcon(file);
}

QIcon IconLoader::fromNetWmIcon(std::span<const std::uint32_t> data) {
    QIcon icon;
    while (data.size() >= 2) {
        const std::uint64_t width = data[0];
        const std::uint64_t height = data[1];
        const std::uint64_t pixels = width * height;
        const bool plausible = width > 0 && height > 0 && width <= maximumSide && height <= maximumSide;
        if (!plausible || pixels > data.size() - 2) {
            break;
        }
        QImage image(int(width), int(height), QImage::Format_ARGB32);
        for (std::uint64_t row = 0; row < height; ++row) {
            std::memcpy(image.scanLine(int(row)), data.data() + 2 + row * width, width * sizeof(std::uint32_t));
        }
        icon.addPixmap(QPixmap::fromImage(image));
        data = data.subspan(2 + pixels);
    }
    return icon;
}

QIcon IconLoader::generic() {
    const QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    return themed.isNull() ? drawnApplicationIcon() : themed;
}

} // namespace drowsel
