// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace drowsel {

// The per-user settings store. A read says absent when the key is missing or
// holds a value of another type; writes persist.
class DefaultsStore {
public:
    virtual ~DefaultsStore() = default;

    virtual std::optional<std::int64_t> integer(const std::string& key) const = 0;
    virtual std::optional<bool> boolean(const std::string& key) const = 0;
    virtual std::optional<std::string> data(const std::string& key) const = 0;

    virtual void setInteger(const std::string& key, std::int64_t value) = 0;
    virtual void setBoolean(const std::string& key, bool value) = 0;
    virtual void setData(const std::string& key, const std::string& value) = 0;
};

} // namespace drowsel
