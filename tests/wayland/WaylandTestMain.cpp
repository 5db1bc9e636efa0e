// Runs the Wayland workspace tests under an offscreen Qt application, with a
// desktop entry of the tests' own in a temporary XDG_DATA_HOME (set before
// GIO first reads the data directories).
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    char dataHome[] = "/tmp/drowsel-wayland-test-XXXXXX";
    if (mkdtemp(dataHome) == nullptr) {
        return 2;
    }
    const auto applications = std::filesystem::path(dataHome) / "applications";
    std::filesystem::create_directories(applications);
    std::ofstream(applications / "org.drowsel.Named.desktop")
        << "[Desktop Entry]\nType=Application\nExec=true\nName=Named Wayland Fixture\n";
    setenv("XDG_DATA_HOME", dataHome, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(dataHome);
    return result;
}
