// SPDX-License-Identifier: GPL-3.0-or-later
// The switch map as stored in the settings file, which anyone can edit:
// decoding never fails loudly, what it reads survives a round trip, and a
// merge keeps every member it does not change.
// Input: the stored text itself; then, read once more, names separated by
// NUL bytes whose switch is the lowest bit of their first byte, encoded first.
#include "core/ToggleStatusCodec.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace drowsel;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool isValidUtf8(const std::string& text) {
    try {
        (void)nlohmann::json(text).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

void decodedMapsSurviveTheRoundTripAndAMerge(std::string_view input) {
    const auto decoded = ToggleStatusCodec::decode(input);
    if (!decoded) {
        return;
    }
    require(ToggleStatusCodec::decode(ToggleStatusCodec::encode(decoded->switches))->switches == decoded->switches);
    const std::string changed = "\x01";
    const auto merged = ToggleStatusCodec::decode(ToggleStatusCodec::merge(input, {}, {{changed, true}}));
    auto keptUnreadable = decoded->unreadable;
    std::erase(keptUnreadable, changed);
    require(merged && merged->unreadable == keptUnreadable && merged->switches.at(changed));
    for (const auto& [name, isOn] : decoded->switches) {
        require(name == changed || merged->switches.at(name) == isOn);
    }
}

// Any map encodes to text that decodes again; names that are not UTF-8 may
// change, every other name keeps its place.
void anyMapEncodesToReadableText(std::string_view input) {
    ToggleStatus toggleStatus;
    while (!input.empty()) {
        const auto end = input.find('\0');
        const std::string name(input.substr(0, end));
        toggleStatus.emplace(name, name.empty() || (name.front() & 1) != 0);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }
    const auto decoded = ToggleStatusCodec::decode(ToggleStatusCodec::encode(toggleStatus));
    require(decoded.has_value());
    for (const auto& [name, isOn] : toggleStatus) {
        require(!isValidUtf8(name) || decoded->switches.contains(name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    decodedMapsSurviveTheRoundTripAndAMerge(input);
    anyMapEncodesToReadableText(input);
    return 0;
}
