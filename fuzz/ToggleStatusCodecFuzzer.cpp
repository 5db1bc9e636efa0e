// SPDX-License-Identifier: GPL-3.0-or-later
// The switch map as stored in the settings file, which anyone can edit:
// decoding never fails loudly, and what it accepts survives a round trip.
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

void decodedMapsSurviveTheRoundTrip(std::string_view input) {
    const auto decoded = ToggleStatusCodec::decode(input);
    if (decoded) {
        require(ToggleStatusCodec::decode(ToggleStatusCodec::encode(*decoded)) == decoded);
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
        require(!isValidUtf8(name) || decoded->contains(name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    decodedMapsSurviveTheRoundTrip(input);
    anyMapEncodesToReadableText(input);
    return 0;
}
