// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

namespace drowsel {

// The popup that opens from the tray icon and holds the panel's content. It
// takes the content's size, closes on a click outside, and is placed next to
// the icon inside the screen's available area. In a Wayland session no client
// learns where the tray icon or the pointer is, nor may it place a window:
// there it is a small frameless window where the compositor puts new ones,
// closing when it loses the focus.
class TrayPanel : public QWidget {
public:
    explicit TrayPanel(std::unique_ptr<QWidget> content);

    QWidget* content() const { return contentView; }

    // Next to the icon; at the pointer when the tray tells nothing of where
    // its icon is (StatusNotifierItem hosts report no geometry).
    void openNear(const QRect& iconGeometry);
    // Closes when open. A click on the tray icon closes the popup before the
    // icon hears of it, so that click must not open it again.
    void toggleNear(const QRect& iconGeometry);

    // Where a panel of the given size goes: below the icon when there is room,
    // else above, clamped into the available area; the pointer stands in for a
    // missing icon.
    static QPoint placement(QSize panel, const QRect& iconGeometry, const QRect& available, QPoint pointer);

protected:
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool wasJustClosedByTheIcon() const;
    void place();
    void closeWhenAnotherWindowIsActive(QWindow* focusWindow);

    QWidget* contentView;
    QRect iconGeometry;
    QPoint pointerWhenOpened;
    QElapsedTimer sinceHidden;
    bool hiddenWithPointerOnIcon = false;
    const bool isPopup;
};

} // namespace drowsel
