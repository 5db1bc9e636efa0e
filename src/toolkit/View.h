// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ChangePublisher.h"

#include <QWidget>

#include <vector>

namespace drowsel {

// A widget drawn from current state: redraw() reads everything it shows
// afresh. Observed objects announce changes before they happen, so the view
// redraws later, once per event-loop turn however many changes arrived in it.
class View : public QWidget {
public:
    explicit View(QWidget* parent = nullptr) : QWidget(parent) {}

    void setNeedsRedraw();
    // Redraws after every change the publisher announces, while the view lives.
    void observe(ChangePublisher& publisher);

protected:
    virtual void redraw() = 0;

private:
    bool redrawPending = false;
    std::vector<ChangePublisher::Subscription> subscriptions;
};

} // namespace drowsel
