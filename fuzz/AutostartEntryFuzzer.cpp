// SPDX-License-Identifier: GPL-3.0-or-later
// The autostart entry lives in the user's config folder, where the desktop's
// settings tools and the user edit it too. Input: a whole file to read, and
// the same bytes as the program's path to write and read back.
#include "LaunchAtLogin/AutostartEntry.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace drowsel;

constexpr std::string_view argument = "--launched-at-login";

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void anyFileReads(std::string_view contents) {
    const auto entry = AutostartEntry::parse(contents);
    (void)entry.isDisabledByUser();
    for (const auto& part : entry.command()) {
        require(part.size() <= contents.size());
    }
}

void writtenPathsComeBackUnchanged(std::string_view path) {
    const auto contents = AutostartEntry::render(path, argument);
    if (!contents) {
        return;
    }
    const auto entry = AutostartEntry::parse(*contents);
    require(!entry.isDisabledByUser());
    require(entry.command() == std::vector<std::string>{std::string(path), std::string(argument)});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    anyFileReads(input);
    writtenPathsComeBackUnchanged(input);
    return 0;
}
