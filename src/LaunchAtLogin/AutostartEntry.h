// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drowsel {

// The desktop entry that starts a program at login: how it is written, and
// what a found one says. Quoting and escaping follow the Desktop Entry
// Specification, so any path survives the round trip.
class AutostartEntry {
public:
    // The whole file that starts programPath with one argument; absent when
    // the path cannot be written in a desktop entry (not UTF-8, control
    // characters other than line breaks and tabs).
    static std::optional<std::string> render(std::string_view programPath, std::string_view argument);
    static AutostartEntry parse(std::string_view contents);

    // Switched off in the desktop's own settings (Hidden or GNOME's flag).
    bool isDisabledByUser() const;
    // The command line of Exec, unquoted; empty when Exec is missing or malformed.
    std::vector<std::string> command() const;

private:
    std::optional<std::string> value(const std::string& key) const;

    std::map<std::string, std::string> entries;
};

} // namespace drowsel
