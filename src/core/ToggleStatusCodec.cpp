// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ToggleStatusCodec.h"

#include <nlohmann/json.hpp>

namespace drowsel::ToggleStatusCodec {

namespace {

std::string dump(const nlohmann::json& object) {
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::json parsedObject(std::string_view json) {
    auto parsed = nlohmann::json::parse(json, nullptr, false);
    return parsed.is_object() ? parsed : nlohmann::json(nlohmann::json::value_t::discarded);
}

} // namespace

std::string encode(const ToggleStatus& toggleStatus) { return dump(nlohmann::json(toggleStatus)); }

std::optional<Decoded> decode(std::string_view json) {
    const auto parsed = parsedObject(json);
    if (parsed.is_discarded()) {
        return std::nullopt;
    }
    Decoded decoded;
    decoded.switches.reserve(parsed.size());
    for (const auto& [name, value] : parsed.items()) {
        if (value.is_boolean()) {
            decoded.switches.emplace(name, value.get<bool>());
        } else {
            decoded.unreadable.push_back(name);
        }
    }
    return decoded;
}

std::string merge(std::string_view stored, const ToggleStatus& current, const ToggleStatus& changes) {
    auto object = parsedObject(stored);
    if (object.is_discarded()) {
        object = nlohmann::json(current);
    }
    for (const auto& [name, isOn] : changes) {
        object[name] = isOn;
    }
    return dump(object);
}

} // namespace drowsel::ToggleStatusCodec
