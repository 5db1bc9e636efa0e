// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/DefaultsStore.h"

#include <map>
#include <variant>

namespace drowsel::fakes {

// Keeps typed values in memory; a read of another type says absent.
class MemoryDefaultsStore : public DefaultsStore {
public:
    using Value = std::variant<std::int64_t, bool, double, std::string>;

    std::optional<std::int64_t> integer(const std::string& key) const override { return read<std::int64_t>(key); }
    std::optional<bool> boolean(const std::string& key) const override { return read<bool>(key); }
    std::optional<std::string> data(const std::string& key) const override { return read<std::string>(key); }

    void setInteger(const std::string& key, std::int64_t value) override { values[key] = value; }
    void setBoolean(const std::string& key, bool value) override { values[key] = value; }
    void setData(const std::string& key, const std::string& value) override { values[key] = value; }

    std::map<std::string, Value> values;

private:
    template <typename T> std::optional<T> read(const std::string& key) const {
        const auto found = values.find(key);
        const T* value = found == values.end() ? nullptr : std::get_if<T>(&found->second);
        return value ? std::optional(*value) : std::nullopt;
    }
};

} // namespace drowsel::fakes
