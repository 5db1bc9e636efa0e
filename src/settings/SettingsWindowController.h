// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/SettingsView.h"
#include "toolkit/HostingWindow.h"

#include <memory>

namespace drowsel {

// Owns the one settings window. The panel creates it on the first click on
// "Settings" and shows the same window on later clicks, through shared.
class SettingsWindowController {
public:
    static constexpr QSize contentSize{600, 400};

    // The process-wide controller: empty until create() sets it.
    static std::shared_ptr<SettingsWindowController> shared;

    // Builds the window around the view, hidden, and makes the new controller
    // the shared one, releasing the previous one.
    static std::shared_ptr<SettingsWindowController> create(std::unique_ptr<SettingsView> rootView);

    explicit SettingsWindowController(std::unique_ptr<HostingWindow> window);
    SettingsWindowController(const SettingsWindowController&) = delete;
    SettingsWindowController& operator=(const SettingsWindowController&) = delete;

    HostingWindow* window() const { return hostedWindow.get(); }
    // Shows the window and brings it to the front.
    void showWindow();

private:
    std::unique_ptr<HostingWindow> hostedWindow;
};

} // namespace drowsel
