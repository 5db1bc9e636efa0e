// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ChangePublisher.h"
#include "core/DefaultsStore.h"

#include <map>
#include <string>

namespace drowsel {

// The per-user settings store as the views share it: every write made through
// a binding over it is announced to every view bound to the same key, and a
// change made from outside (the file edited by hand) to every view.
class StoredSettings {
public:
    explicit StoredSettings(DefaultsStore& store) : defaults(store) {}
    StoredSettings(const StoredSettings&) = delete;
    StoredSettings& operator=(const StoredSettings&) = delete;

    DefaultsStore& store() const { return defaults; }
    ChangePublisher& willChange(const std::string& key) { return publishers[key]; }
    // For a change of unknown keys: every binding reads its key afresh.
    void announceAll() const {
        for (const auto& [key, publisher] : publishers) {
            publisher.send();
        }
    }

private:
    DefaultsStore& defaults;
    std::map<std::string, ChangePublisher> publishers;
};

} // namespace drowsel
