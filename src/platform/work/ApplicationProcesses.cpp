// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/work/ApplicationProcesses.h"

#include <gio/gdesktopappinfo.h>

#include <memory>

namespace drowsel {

namespace {

using AppInfo = std::unique_ptr<GDesktopAppInfo, decltype(&g_object_unref)>;
using GString = std::unique_ptr<char, decltype(&g_free)>;

std::optional<std::string> programOfEntry(const std::string& path) {
    const AppInfo info(g_desktop_app_info_new_from_filename(path.c_str()), &g_object_unref);
    if (!info) {
        return std::nullopt;
    }
    const GString tryExec(g_desktop_app_info_get_string(info.get(), "TryExec"), &g_free);
    if (tryExec && *tryExec != '\0') {
        return std::string(tryExec.get());
    }
    const char* program = g_app_info_get_executable(G_APP_INFO(info.get()));
    return program != nullptr && *program != '\0' ? std::optional<std::string>(program) : std::nullopt;
}

} // namespace

ApplicationProcesses ApplicationProcesses::of(const RunningApplication& application, const ProcessTable& table) {
    ApplicationProcesses processes;
    if (const auto pid = application.processIdentifier()) {
        processes.roots = {*pid};
    } else if (const auto location = application.bundleLocation()) {
        if (const auto executable = executableAt(*location)) {
            processes.roots = table.runningExecutable(*executable);
        }
    }
    processes.all = table.withDescendants(processes.roots);
    return processes;
}

std::optional<std::filesystem::path> ApplicationProcesses::executableAt(const std::string& location) {
    const auto program = location.ends_with(".desktop") ? programOfEntry(location) : location;
    if (!program) {
        return std::nullopt;
    }
    const GString found(g_find_program_in_path(program->c_str()), &g_free);
    if (!found) {
        return std::nullopt;
    }
    std::error_code error;
    const auto canonical = std::filesystem::canonical(found.get(), error);
    return error ? std::nullopt : std::optional(canonical);
}

} // namespace drowsel
