// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

namespace drowsel {

// A top-level window whose content area has exactly the given size, with the
// view centred in it. Closing it only hides it, and never ends the program:
// Drowsel lives in the tray, not in its windows.
class HostingWindow : public QWidget {
public:
    HostingWindow(std::unique_ptr<QWidget> rootView, QSize contentSize);

    QWidget* rootView() const { return view; }

private:
    QWidget* view;
};

} // namespace drowsel
