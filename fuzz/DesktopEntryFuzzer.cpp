// SPDX-License-Identifier: GPL-3.0-or-later
// Desktop entries come from packages and from the user's own data folder,
// where any program may drop one. Input: the bytes of one entry, found by its
// id, by a window class it declares (StartupWMClass) and by its path for the
// icon, as the workspace finds entries. The index is read afresh for each
// input: the fuzzer runs no event loop to hear GIO's word of the change.
#include <gio/gio.h>

#include "platform/desktop/DesktopEntryIndex.h"
#include "platform/desktop/DesktopEntryLookup.h"
#include "platform/desktop/IconLoader.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace drowsel;

std::string folderPath;
std::string entryPath;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void writeEntry(const std::uint8_t* data, std::size_t size) {
    std::ofstream file(entryPath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

// Only this entry can be found, and only where it lies.
void foundEntriesAreThisOne() {
    DesktopEntryIndex index;
    for (const auto& entry : {index.byId("fuzzed"), index.byClass("other"), index.byClass("Fuzzed-Class")}) {
        if (entry) {
            require(entry->id == "fuzzed" && entry->path == entryPath);
        }
    }
}

void iconsAreNamedOrFiles() {
    const auto icon = DesktopEntryLookup::iconOfEntryAt(entryPath);
    if (!icon) {
        return;
    }
    require(!icon->themeNames.empty() || icon->file.has_value());
    std::string problem;
    const QIcon loaded =
        icon->file ? IconLoader::fromFile(*icon->file, problem) : IconLoader::fromThemeNames(icon->themeNames);
    require(!loaded.isNull() || !problem.empty() || !icon->file);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A data folder of the fuzzer's own, set before GIO first reads the environment.
    char folder[] = "/tmp/drowsel-desktop-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        std::abort();
    }
    std::filesystem::create_directories(std::string(folder) + "/applications");
    std::filesystem::create_directories(std::string(folder) + "/none");
    folderPath = folder;
    entryPath = folderPath + "/applications/fuzzed.desktop";
    std::atexit([] { std::filesystem::remove_all(folderPath); });
    setenv("XDG_DATA_HOME", folder, 1);
    setenv("XDG_DATA_DIRS", (std::string(folder) + "/none").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "desktop_entry_fuzzer";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeEntry(data, size);
    foundEntriesAreThisOne();
    iconsAreNamedOrFiles();
    return 0;
}
