// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ToggleStatusCodec.h"

#include <nlohmann/json.hpp>

namespace drowsel::ToggleStatusCodec {

std::string encode(const ToggleStatus& toggleStatus) {
    const nlohmann::json object(toggleStatus);
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<ToggleStatus> decode(std::string_view json) {
    const auto parsed = nlohmann::json::parse(json, nullptr, false);
    if (!parsed.is_object()) {
        return std::nullopt;
    }
    ToggleStatus toggleStatus;
    toggleStatus.reserve(parsed.size());
    for (const auto& [name, value] : parsed.items()) {
        if (!value.is_boolean()) {
            return std::nullopt;
        }
        toggleStatus.emplace(name, value.get<bool>());
    }
    return toggleStatus;
}

} // namespace drowsel::ToggleStatusCodec
