// Runs the KWin tests under an offscreen Qt application (the workspace has a
// Wayland connection of its own), with a desktop entry of the tests' own in a
// temporary XDG_DATA_HOME, set before GIO first reads the data directories.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    char dataHome[] = "/tmp/drowsel-kwin-test-XXXXXX";
    if (mkdtemp(dataHome) == nullptr) {
        return 2;
    }
    setenv("XDG_DATA_HOME", dataHome, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const auto applications = std::filesystem::path(dataHome) / "applications";
    std::filesystem::create_directories(applications);
    std::ofstream(applications / "org.drowsel.PlasmaFixture.desktop")
        << "[Desktop Entry]\nType=Application\nExec=true\nName=Plasma Fixture\n";
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(dataHome);
    return result;
}
