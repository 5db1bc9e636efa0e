// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/IconLoader.h"

#include "platform/desktop/DesktopEntryLookup.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <cstring>

namespace drowsel {

namespace {

QIcon fromThemeNames(const std::vector<std::string>& names) {
    for (const auto& name : names) {
        const auto qName = QString::fromStdString(name);
        if (QIcon::hasThemeIcon(qName)) {
            return QIcon::fromTheme(qName);
        }
    }
    return {};
}

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

QIcon IconLoader::fromEntryAt(const std::string& path) {
    const auto icon = DesktopEntryLookup::iconOfEntryAt(path);
    if (!icon) {
        return {};
    }
    if (icon->file) {
        const auto file = QString::fromStdString(*icon->file);
        return QFileInfo(file).isFile() ? QIcon(file) : QIcon();
    }
    return fromThemeNames(icon->themeNames);
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
