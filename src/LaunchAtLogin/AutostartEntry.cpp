// SPDX-License-Identifier: GPL-3.0-or-later
#include "LaunchAtLogin/AutostartEntry.h"

#include <QString>

#include <algorithm>
#include <utility>

namespace drowsel {

namespace {

constexpr std::string_view group = "[Desktop Entry]";
constexpr std::string_view reservedCharacters = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view escapedInQuotes = "\"`$\\";

bool isValidUtf8(std::string_view text) {
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

bool hasUnwritableControlCharacter(std::string_view text) {
    return std::ranges::any_of(text, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\n' && c != '\t' && c != '\r') || byte == 0x7f;
    });
}

std::string quotedArgument(std::string_view argument) {
    std::string result;
    // An empty argument is written as "" so that it keeps its place.
    const bool needsQuotes = argument.empty() || argument.find_first_of(reservedCharacters) != std::string_view::npos;
    for (const char c : argument) {
        if (needsQuotes && escapedInQuotes.find(c) != std::string_view::npos) {
            result += '\\';
        }
        result += c;
        if (c == '%') {
            result += '%'; // a literal percent sign, not a field code
        }
    }
    return needsQuotes ? '"' + result + '"' : result;
}

// The escapes of a string value, applied on top of the command line's quoting.
std::string escapedValue(std::string_view value) {
    std::string result;
    for (const char c : value) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\r':
            result += "\\r";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::string unescapedValue(std::string_view value) {
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        switch (const char next = value[++i]) {
        case 's':
            result += ' ';
            break;
        case 'n':
            result += '\n';
            break;
        case 't':
            result += '\t';
            break;
        case 'r':
            result += '\r';
            break;
        default:
            result += next;
        }
    }
    return result;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

void replaceDoublePercent(std::string& argument) {
    for (auto at = argument.find("%%"); at != std::string::npos; at = argument.find("%%", at + 1)) {
        argument.erase(at, 1);
    }
}

} // namespace

std::optional<std::string> AutostartEntry::render(std::string_view programPath, std::string_view argument) {
    if (!isValidUtf8(programPath) || hasUnwritableControlCharacter(programPath)) {
        return std::nullopt;
    }
    const std::string exec = quotedArgument(programPath) + ' ' + quotedArgument(argument);
    return std::string(group) +
           "\nType=Application\nName=Drowsel\nIcon=com.drowsel.Drowsel\nExec=" + escapedValue(exec) +
           "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
}

AutostartEntry AutostartEntry::parse(std::string_view contents) {
    AutostartEntry entry;
    bool inGroup = false;
    while (!contents.empty()) {
        const auto end = contents.find('\n');
        const std::string_view line = trimmed(contents.substr(0, end));
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (line.starts_with('[')) {
            inGroup = line == group;
        } else if (const auto equals = line.find('='); inGroup && !line.starts_with('#') && equals != line.npos) {
            // The first of repeated keys counts.
            entry.entries.emplace(trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
        }
    }
    return entry;
}

std::optional<std::string> AutostartEntry::value(const std::string& key) const {
    const auto found = entries.find(key);
    return found == entries.end() ? std::nullopt : std::optional(found->second);
}

bool AutostartEntry::isDisabledByUser() const {
    return value("Hidden") == "true" || value("X-GNOME-Autostart-enabled") == "false";
}

std::vector<std::string> AutostartEntry::command() const {
    const std::string exec = unescapedValue(value("Exec").value_or(""));
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool inQuotes = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (inQuotes && c == '\\' && i + 1 < exec.size()) {
            current += exec[++i];
        } else if (c == '"') {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if (!inQuotes && (c == ' ' || c == '\t')) {
            if (inArgument) {
                arguments.push_back(std::exchange(current, {}));
            }
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inQuotes) {
        return {}; // an unterminated quote: the desktop would refuse the entry too
    }
    if (inArgument) {
        arguments.push_back(current);
    }
    std::ranges::for_each(arguments, replaceDoublePercent);
    return arguments;
}

} // namespace drowsel
