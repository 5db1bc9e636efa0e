// SPDX-License-Identifier: GPL-3.0-or-later
#include "LaunchAtLogin/LaunchAtLogin.h"

#include "LaunchAtLogin/AutostartEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace drowsel {

namespace {

namespace fs = std::filesystem;

using Failure = std::optional<std::string>;

LogSink* logSink = nullptr;

std::string errnoText(int error) { return std::generic_category().message(error); }

// Errors reach stderr at least when no log was given.
void writeLog(LogSink::Level level, const std::string& message) {
    if (logSink != nullptr) {
        logSink->write(level, LaunchAtLogin::logSubsystem, LaunchAtLogin::logCategory, message);
    } else if (level == LogSink::Level::error) {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
}

Failure writeAll(int descriptor, const std::string& contents) {
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t count = ::write(descriptor, contents.data() + written, contents.size() - written);
        if (count < 0 && errno != EINTR) {
            return errnoText(errno);
        }
        written += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    return ::fsync(descriptor) == 0 ? Failure() : errnoText(errno);
}

// A temporary file beside the target, renamed over it: a reader sees the old
// entry or the new one, never half of one.
Failure writeAtomically(const fs::path& target, const std::string& contents) {
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (error) {
        return error.message();
    }
    std::string temporary = target.string() + ".XXXXXX";
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        return errnoText(errno);
    }
    Failure failure = ::fchmod(descriptor, 0644) == 0 ? writeAll(descriptor, contents) : errnoText(errno);
    if (::close(descriptor) != 0 && !failure) {
        failure = errnoText(errno);
    }
    if (!failure && ::rename(temporary.c_str(), target.c_str()) != 0) {
        failure = errnoText(errno);
    }
    if (failure) {
        ::unlink(temporary.c_str());
    }
    return failure;
}

Failure registerEntry() {
    std::error_code error;
    const fs::path link = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return error.message();
    }
    const auto program = LaunchAtLogin::installedProgram(link.string());
    if (!program) {
        return "the running program was replaced by nothing executable: " + link.string();
    }
    const auto contents = AutostartEntry::render(*program, LaunchAtLogin::loginItemArgument);
    if (!contents) {
        return "the program's path " + *program + " cannot be written in a desktop entry";
    }
    return writeAtomically(LaunchAtLogin::entryPath(), *contents);
}

// Removing an entry that is not there leaves what was asked for: no failure.
Failure unregisterEntry() {
    std::error_code error;
    fs::remove(LaunchAtLogin::entryPath(), error);
    return error ? Failure(error.message()) : Failure();
}

bool isExecutable(const std::string& program) {
    const std::string path = program.find('/') == std::string::npos
                                 ? QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString()
                                 : program;
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> readEntry(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    if (!(file && contents << file.rdbuf())) {
        return std::nullopt;
    }
    return contents.str();
}

} // namespace

void LaunchAtLogin::useLogSink(LogSink& sink) { logSink = &sink; }

std::optional<std::string> LaunchAtLogin::installedProgram(const std::string& runningProgramLink) {
    constexpr std::string_view replacedSuffix = " (deleted)";
    // A program whose own name ends in the suffix is taken as it stands.
    const bool isReplaced = !isExecutable(runningProgramLink) && runningProgramLink.ends_with(replacedSuffix);
    const std::string program = isReplaced
                                    ? runningProgramLink.substr(0, runningProgramLink.size() - replacedSuffix.size())
                                    : runningProgramLink;
    return isExecutable(program) ? std::optional(program) : std::nullopt;
}

std::filesystem::path LaunchAtLogin::entryPath() {
    // The XDG base directory rules: only an absolute XDG_CONFIG_HOME counts.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const fs::path base = configHome != nullptr && fs::path(configHome).is_absolute()
                              ? fs::path(configHome)
                              : fs::path(QDir::homePath().toStdString()) / ".config";
    return base / "autostart" / "com.drowsel.Drowsel.desktop";
}

LaunchAtLogin::Status LaunchAtLogin::status() {
    const fs::path path = entryPath();
    std::error_code error;
    if (!fs::exists(path, error)) {
        return Status::notRegistered;
    }
    const auto contents = readEntry(path);
    if (!contents) {
        writeLog(LogSink::Level::debug, "Cannot read the autostart entry " + path.string());
        return Status::notFound;
    }
    const auto entry = AutostartEntry::parse(*contents);
    if (entry.isDisabledByUser()) {
        return Status::requiresApproval;
    }
    const auto command = entry.command();
    return !command.empty() && isExecutable(command.front()) ? Status::enabled : Status::notFound;
}

void LaunchAtLogin::setEnabled(bool enabled) {
    observable().objectWillChange().send();
    // Registering replaces any entry in one step, also an enabled one, so that
    // it names the program running now; removing first would lose a working
    // entry whenever the new one cannot be written.
    if (const Failure failure = enabled ? registerEntry() : unregisterEntry()) {
        writeLog(LogSink::Level::error,
                 std::string("Failed to ") + (enabled ? "enable" : "disable") + " launch at login: " + *failure);
    }
}

bool LaunchAtLogin::launchedAsLoginItem() {
    return QCoreApplication::instance() != nullptr &&
           QCoreApplication::arguments().contains(QString::fromUtf8(loginItemArgument));
}

LaunchAtLogin::Observable& LaunchAtLogin::observable() {
    static Observable shared;
    return shared;
}

} // namespace drowsel
