// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayPanel.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace drowsel {

namespace {

// A tray click that closed the popup reaches the icon within this time.
constexpr qint64 closingClickMilliseconds = 300;
constexpr int gapToIcon = 4;

// In a Wayland session even our XWayland windows cannot learn where the
// pointer is while it is over the compositor's bar.
bool canPlaceAtTheIcon() {
    return QGuiApplication::platformName() != QLatin1String("wayland") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

TrayPanel::TrayPanel(std::unique_ptr<QWidget> content)
    : QWidget(nullptr, (canPlaceAtTheIcon() ? Qt::Popup : Qt::Window) | Qt::FramelessWindowHint),
      contentView(content.release()), isPopup(canPlaceAtTheIcon()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(contentView);
    setAccessibleName(QStringLiteral("Drowsel"));
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TrayPanel::closeWhenAnotherWindowIsActive);
}

void TrayPanel::openNear(const QRect& icon) {
    iconGeometry = icon;
    pointerWhenOpened = QCursor::pos();
    adjustSize();
    place();
    show();
    raise();
    activateWindow();
}

void TrayPanel::toggleNear(const QRect& icon) {
    if (wasJustClosedByTheIcon()) {
        sinceHidden.invalidate(); // that click is spent
        return;
    }
    if (isVisible()) {
        hide();
        return;
    }
    openNear(icon);
}

// Without the icon's geometry (StatusNotifierItem hosts) only the time tells.
bool TrayPanel::wasJustClosedByTheIcon() const {
    const bool justHidden = sinceHidden.isValid() && sinceHidden.elapsed() < closingClickMilliseconds;
    return justHidden && (iconGeometry.isEmpty() || hiddenWithPointerOnIcon);
}

void TrayPanel::place() {
    if (!isPopup) {
        return; // the compositor places it
    }
    const QPoint anchor = iconGeometry.isEmpty() ? pointerWhenOpened : iconGeometry.center();
    const QScreen* screen = QGuiApplication::screenAt(anchor);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    move(placement(size(), iconGeometry, screen->availableGeometry(), pointerWhenOpened));
}

// The settings window opened from the panel takes over, as a menu would close.
// A popup hears of clicks outside by itself; a plain window only loses focus.
void TrayPanel::closeWhenAnotherWindowIsActive(QWindow* focusWindow) {
    if (isVisible() && (focusWindow != nullptr || !isPopup) && focusWindow != windowHandle()) {
        hide();
    }
}

QPoint TrayPanel::placement(QSize panel, const QRect& iconGeometry, const QRect& available, QPoint pointer) {
    const QRect icon = iconGeometry.isEmpty() ? QRect(pointer, QSize(1, 1)) : iconGeometry;
    QPoint origin(icon.center().x() - panel.width() / 2, icon.bottom() + 1 + gapToIcon);
    if (origin.y() + panel.height() > available.bottom() + 1) {
        origin.setY(icon.top() - gapToIcon - panel.height());
    }
    origin.setX(
        std::clamp(origin.x(), available.left(), std::max(available.left(), available.right() + 1 - panel.width())));
    origin.setY(
        std::clamp(origin.y(), available.top(), std::max(available.top(), available.bottom() + 1 - panel.height())));
    return origin;
}

void TrayPanel::hideEvent(QHideEvent* event) {
    sinceHidden.start();
    hiddenWithPointerOnIcon = iconGeometry.contains(QCursor::pos());
    QWidget::hideEvent(event);
}

// A hairline edge, as menus have, so the panel stands out on a light desktop.
void TrayPanel::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Rows come and go while the panel is open: it stays next to the icon and on screen.
void TrayPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) {
        place();
    }
}

} // namespace drowsel
