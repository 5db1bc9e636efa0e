// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

namespace drowsel {

// Tells a callback when the pointer enters (true) and leaves (false) a widget.
class HoverRegion : public QObject {
public:
    using Callback = std::function<void(bool isHovered)>;

    // The region lives as long as the widget.
    static void attach(QWidget* widget, Callback onHover);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HoverRegion(QWidget* widget, Callback onHover);

    Callback onHover;
};

} // namespace drowsel
