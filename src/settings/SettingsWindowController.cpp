// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsWindowController.h"

#include <QCoreApplication>

#include <mutex>

namespace drowsel {

std::shared_ptr<SettingsWindowController> SettingsWindowController::shared;

namespace {

// The window must go while the application object still exists, not among
// the static objects after it.
void releaseSharedBeforeApplicationEnds() {
    static std::once_flag registered;
    std::call_once(registered, [] { qAddPostRoutine([] { SettingsWindowController::shared.reset(); }); });
}

} // namespace

SettingsWindowController::SettingsWindowController(std::unique_ptr<HostingWindow> window)
    : hostedWindow(std::move(window)) {}

std::shared_ptr<SettingsWindowController> SettingsWindowController::create(std::unique_ptr<SettingsView> rootView) {
    auto window = std::make_unique<HostingWindow>(std::move(rootView), contentSize);
    // Shown as written in every language.
    window->setWindowTitle(QStringLiteral("Settings"));
    releaseSharedBeforeApplicationEnds();
    shared = std::make_shared<SettingsWindowController>(std::move(window));
    return shared;
}

void SettingsWindowController::showWindow() {
    hostedWindow->show();
    hostedWindow->raise();
    hostedWindow->activateWindow();
}

} // namespace drowsel
