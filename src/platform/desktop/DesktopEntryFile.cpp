// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopEntryFile.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace drowsel {

namespace {

constexpr std::string_view blanks = " \t";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool isUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString decoded = decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return !decoder.hasError();
}

char escapedCharacter(char code) {
    switch (code) {
    case 's':
        return ' ';
    case 'n':
        return '\n';
    case 't':
        return '\t';
    case 'r':
        return '\r';
    case '\\':
        return '\\';
    default:
        return '\0';
    }
}

// \s, \n, \t, \r and \\ stand for the characters; any other backslash stays.
std::string unescaped(std::string_view text) {
    std::string result;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char escaped = text[at] == '\\' && at + 1 < text.size() ? escapedCharacter(text[at + 1]) : '\0';
        if (escaped != '\0') {
            result += escaped;
            ++at;
        } else {
            result += text[at];
        }
    }
    return result;
}

// lang_COUNTRY.ENCODING@MODIFIER to the keys a localised value may have, most
// specific first; the encoding plays no part.
void addLocaleKeys(std::string_view locale, std::vector<std::string>& keys) {
    const auto modifierAt = locale.find('@');
    const auto modifier = modifierAt == std::string_view::npos ? std::string_view() : locale.substr(modifierAt);
    const auto withoutModifier = locale.substr(0, modifierAt);
    const auto languageAndCountry = withoutModifier.substr(0, withoutModifier.find('.'));
    const auto language = languageAndCountry.substr(0, languageAndCountry.find('_'));
    for (const auto& key : {std::string(languageAndCountry) + std::string(modifier), std::string(languageAndCountry),
                            std::string(language) + std::string(modifier), std::string(language)}) {
        if (!key.empty() && key != "C" && key != "POSIX" && std::find(keys.begin(), keys.end(), key) == keys.end()) {
            keys.push_back(key);
        }
    }
}

// As gettext chooses the messages' language: $LANGUAGE's list, else the first
// of $LC_ALL, $LC_MESSAGES and $LANG that is set.
std::vector<std::string> localeKeys() {
    std::vector<std::string> keys;
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* setting = std::getenv(variable);
        if (setting == nullptr || *setting == '\0') {
            continue;
        }
        std::istringstream locales(setting);
        for (std::string locale; std::getline(locales, locale, ':');) {
            addLocaleKeys(locale, keys);
        }
        break;
    }
    return keys;
}

// A name as it is, with a slash, or looked for on $PATH.
bool programIsInstalled(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return access(program.c_str(), X_OK) == 0;
    }
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/bin:/usr/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (access(((folder.empty() ? "." : folder) + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<DesktopEntryFile> DesktopEntryFile::read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    if (!(contents << file.rdbuf()) || !isUtf8(contents.view())) {
        return std::nullopt;
    }
    DesktopEntryFile entry;
    std::optional<bool> inEntryGroup; // none until the first group opens
    std::istringstream lines(contents.str());
    for (std::string line; std::getline(lines, line);) {
        const auto text = trimmed(line);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        if (text.front() == '[' && text.back() == ']') {
            inEntryGroup = text == "[Desktop Entry]";
            continue;
        }
        const auto equals = text.find('=');
        if (!inEntryGroup || equals == std::string_view::npos || equals == 0) {
            return std::nullopt; // not a key file: the whole entry is void, as launchers treat it
        }
        if (*inEntryGroup) {
            entry.values.insert_or_assign(std::string(trimmed(text.substr(0, equals))),
                                          unescaped(trimmed(text.substr(equals + 1))));
        }
    }
    const auto tryExec = entry.value("TryExec");
    if (entry.value("Type") != "Application" || (tryExec && !tryExec->empty() && !programIsInstalled(*tryExec))) {
        return std::nullopt;
    }
    return entry;
}

bool DesktopEntryFile::isHidden() const { return value("Hidden") == "true"; }

std::string DesktopEntryFile::name() const { return localisedValue("Name").value_or(""); }

std::optional<std::string> DesktopEntryFile::icon() const { return localisedValue("Icon"); }

std::optional<std::string> DesktopEntryFile::startupWmClass() const { return value("StartupWMClass"); }

std::optional<std::string> DesktopEntryFile::value(const std::string& key) const {
    const auto found = values.find(key);
    return found != values.end() ? std::optional(found->second) : std::nullopt;
}

std::optional<std::string> DesktopEntryFile::localisedValue(const std::string& key) const {
    for (const auto& locale : localeKeys()) {
        if (auto localised = value(key + "[" + locale + "]")) {
            return localised;
        }
    }
    return value(key);
}

} // namespace drowsel
