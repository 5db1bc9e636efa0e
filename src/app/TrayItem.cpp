// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayItem.h"

#include "app/TrayIconEngine.h"

#include <QApplication>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace drowsel {

namespace {

// How far around the icon the panel's background is read, and how far into
// its margin, which the glyph leaves clear (Qt's icon window is at least 22
// pixels, the glyph 18) and the tray fills with its panel.
constexpr int backgroundRing = 3;
constexpr int iconMargin = 2;

// WCAG's relative luminance.
double luminanceOf(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

// The median colour of the pixels in a ring about the icon's edge, where an
// X11 tray shows its panel: a neighbour's icon there, or the desktop past a
// panel the icon fills, does not sway it.
std::optional<QColor> backgroundAround(const QRect& icon) {
    QScreen* screen = QGuiApplication::screenAt(icon.center());
    if (icon.isEmpty() || screen == nullptr) {
        return std::nullopt;
    }
    const QRect area =
        icon.adjusted(-backgroundRing, -backgroundRing, backgroundRing, backgroundRing).intersected(screen->geometry());
    const QPoint origin = area.topLeft() - screen->geometry().topLeft();
    const QImage image = screen->grabWindow(0, origin.x(), origin.y(), area.width(), area.height()).toImage();
    const QRect glyph = icon.adjusted(iconMargin, iconMargin, -iconMargin, -iconMargin);
    std::vector<QColor> ring;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!glyph.contains(area.topLeft() + QPoint(x, y))) {
                ring.push_back(image.pixelColor(x, y));
            }
        }
    }
    if (ring.empty()) {
        return std::nullopt;
    }
    const auto middle = ring.begin() + std::ptrdiff_t(ring.size() / 2);
    std::nth_element(ring.begin(), middle, ring.end(),
                     [](const QColor& one, const QColor& other) { return luminanceOf(one) < luminanceOf(other); });
    return *middle;
}

} // namespace

TrayItem::TrayItem(std::unique_ptr<QWidget> content) : trayPanel(std::move(content)) {
    setPausedUntil(std::nullopt);
    connect(&trayIcon, &QSystemTrayIcon::activated, this, &TrayItem::activated);
    connect(&hosts, &TrayHostWatcher::xembedTrayChanged, this, &TrayItem::redrawIcon);
    qApp->installEventFilter(this);
}

void TrayItem::useMenu(TrayMenuModel& model) {
    menu = std::make_unique<TrayMenu>(model);
    trayIcon.setContextMenu(menu.get());
}

void TrayItem::setPausedUntil(std::optional<QDateTime> until) {
    pausedUntil = std::move(until);
    trayIcon.setToolTip(pausedUntil ? QCoreApplication::translate("drowsel::TrayItem", "Paused until %1")
                                          .arg(QLocale().toString(pausedUntil->time(), QLocale::ShortFormat))
                                    : QStringLiteral("Drowsel"));
    redrawIcon();
}

QIcon TrayItem::templateIcon(const QString& image, const QColor& colour) {
    QIcon icon;
    QSvgRenderer renderer(image);
    // Drawn for the usual device pixel ratios, so a HiDPI tray stays sharp.
    for (const int scale : {1, 2, 3}) {
        QPixmap pixmap(iconSide * scale, iconSide * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(0, 0, pixmap.width(), pixmap.height()));
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), colour);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QColor TrayItem::glyphColourOn(const QColor& background) {
    const double luminance = luminanceOf(background);
    const double againstWhite = 1.05 / (luminance + 0.05);
    const double againstBlack = (luminance + 0.05) / 0.05;
    return againstWhite >= againstBlack ? QColor(Qt::white) : QColor(Qt::black);
}

bool TrayItem::eventFilter(QObject* watched, QEvent* event) {
    const bool lookChanged = event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange;
    // Qt's XEmbed icon window: docked or moved, it has a new panel behind it.
    const bool iconPlaced = (event->type() == QEvent::Show || event->type() == QEvent::Move) &&
                            watched->objectName() == QLatin1String("QSystemTrayIconSys");
    if ((watched == qApp && lookChanged) || iconPlaced) {
        QMetaObject::invokeMethod(this, &TrayItem::redrawIcon, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

QColor TrayItem::glyphColour() const {
    if (const auto asked = hosts.xembedForeground()) {
        return *asked;
    }
    if (const auto background = backgroundAround(trayIcon.geometry())) {
        return glyphColourOn(*background);
    }
    return trayPanel.palette().color(QPalette::WindowText);
}

void TrayItem::redrawIcon() {
    const bool paused = pausedUntil.has_value();
    const QIcon glyph = templateIcon(
        paused ? QStringLiteral(":/images/PausedIcon.svg") : QStringLiteral(":/images/MenuBarIcon.svg"), glyphColour());
    trayIcon.setIcon(QIcon(new TrayIconEngine(paused ? QStringLiteral("com.drowsel.Drowsel-paused-symbolic")
                                                     : QStringLiteral("com.drowsel.Drowsel-symbolic"),
                                              glyph)));
}

void TrayItem::activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) {
        trayPanel.toggleNear(trayIcon.geometry());
    } else if (reason == QSystemTrayIcon::DoubleClick && !trayPanel.isVisible()) {
        trayPanel.openNear(trayIcon.geometry());
    }
}

} // namespace drowsel
