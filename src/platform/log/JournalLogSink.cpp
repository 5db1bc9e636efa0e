// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/log/JournalLogSink.h"

#include <systemd/sd-journal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <syslog.h>

namespace drowsel {

namespace {

bool journalIsRunning() { return std::filesystem::exists("/run/systemd/journal/socket"); }

bool debugRequested() {
    const char* value = std::getenv("DROWSEL_DEBUG");
    return value != nullptr && std::string_view(value) == "1";
}

std::string field(std::string_view name, std::string_view value) {
    std::string result(name);
    result += '=';
    result += value;
    return result;
}

const char* levelName(LogSink::Level level) {
    switch (level) {
    case LogSink::Level::debug:
        return "debug";
    case LogSink::Level::info:
        return "info";
    case LogSink::Level::error:
        return "error";
    }
    return "error";
}

} // namespace

JournalLogSink::JournalLogSink() : writesDebug(debugRequested()), toJournal(journalIsRunning()) {}

void JournalLogSink::write(Level level, std::string_view subsystem, std::string_view category,
                           std::string_view message) {
    if (!writes(level)) {
        return;
    }
    if (toJournal) {
        writeToJournal(level, subsystem, category, message);
    } else {
        std::fprintf(stderr, "drowsel[%.*s/%.*s] %s: %.*s\n", static_cast<int>(subsystem.size()), subsystem.data(),
                     static_cast<int>(category.size()), category.data(), levelName(level),
                     static_cast<int>(message.size()), message.data());
    }
}

void JournalLogSink::writeToJournal(Level level, std::string_view subsystem, std::string_view category,
                                    std::string_view message) {
    const int priority = level == Level::debug ? LOG_DEBUG : level == Level::info ? LOG_INFO : LOG_ERR;
    const std::string fields[] = {field("MESSAGE", message), field("PRIORITY", std::to_string(priority)),
                                  field("SYSLOG_IDENTIFIER", "drowsel"), field("DROWSEL_SUBSYSTEM", subsystem),
                                  field("DROWSEL_CATEGORY", category)};
    // sd_journal_sendv takes the fields as they are, so a message may hold any byte.
    iovec vectors[std::size(fields)];
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        vectors[i] = {const_cast<char*>(fields[i].data()), fields[i].size()};
    }
    sd_journal_sendv(vectors, static_cast<int>(std::size(vectors)));
}

} // namespace drowsel
