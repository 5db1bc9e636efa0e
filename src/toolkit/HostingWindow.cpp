// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/HostingWindow.h"

#include <QVBoxLayout>

namespace drowsel {

HostingWindow::HostingWindow(std::unique_ptr<QWidget> rootView, QSize contentSize) : view(rootView.release()) {
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view, 0, Qt::AlignCenter);
    setFixedSize(contentSize);
}

} // namespace drowsel
