// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/session/CompositeWorkspace.h"

namespace drowsel {

std::vector<ApplicationHandle> CompositeWorkspace::runningApplications() const {
    std::vector<ApplicationHandle> running;
    for (const auto* part : parts()) {
        auto ofPart = part->runningApplications();
        running.insert(running.end(), ofPart.begin(), ofPart.end());
    }
    return running;
}

std::optional<ApplicationHandle> CompositeWorkspace::frontmostApplication() const {
    for (const auto* part : parts()) {
        if (auto frontmost = part->frontmostApplication()) {
            return frontmost;
        }
    }
    return std::nullopt;
}

void CompositeWorkspace::addDeactivationObserver(DeactivationObserver observer) {
    for (auto* part : parts()) {
        part->addDeactivationObserver(observer);
    }
}

std::vector<Workspace*> CompositeWorkspace::parts() const {
    std::vector<Workspace*> present;
    for (auto* part : {native, x11}) {
        if (part != nullptr) {
            present.push_back(part);
        }
    }
    return present;
}

} // namespace drowsel
