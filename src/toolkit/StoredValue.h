// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "toolkit/StoredSettings.h"

#include <cstdint>
#include <string>
#include <type_traits>

namespace drowsel {

// One view's binding to a settings key, with the view's own fallback while the
// key is absent. Reads go to the store every time; a write is announced to
// every binding of the key, then stored at once.
template <typename T> class StoredValue {
    static_assert(std::is_same_v<T, std::int64_t> || std::is_same_v<T, bool>);

public:
    StoredValue(StoredSettings& settings, std::string key, T fallback)
        : settings(settings), key(std::move(key)), fallback(fallback) {}

    T value() const {
        if constexpr (std::is_same_v<T, bool>) {
            return settings.store().boolean(key).value_or(fallback);
        } else {
            return settings.store().integer(key).value_or(fallback);
        }
    }

    void set(T newValue) {
        willChange().send();
        if constexpr (std::is_same_v<T, bool>) {
            settings.store().setBoolean(key, newValue);
        } else {
            settings.store().setInteger(key, newValue);
        }
    }

    ChangePublisher& willChange() const { return settings.willChange(key); }

private:
    StoredSettings& settings;
    std::string key;
    T fallback;
};

} // namespace drowsel
