// Runs the workspace tests under an offscreen Qt application, with desktop
// entries of the tests' own in a temporary XDG_DATA_HOME (set before GIO
// first reads the data directories).
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

void writeEntry(const std::filesystem::path& applications, const std::string& id, const std::string& lines) {
    std::ofstream(applications / (id + ".desktop")) << "[Desktop Entry]\nType=Application\nExec=true\n" << lines;
}

void writeTestEntries(const std::filesystem::path& dataHome) {
    const auto applications = dataHome / "applications";
    std::filesystem::create_directories(applications);
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    red.save(QString::fromStdString((dataHome / "red.png").string()));
    writeEntry(applications, "drowsel-test-startup",
               "Name=Startup Fixture\nName[de]=Start-Fixture\nStartupWMClass=DrowselStartupClass\nIcon=" +
                   (dataHome / "red.png").string() + "\n");
    writeEntry(applications, "org.drowsel.ExactFixture", "Name=Exact Fixture\n");
    writeEntry(applications, "lowerfixture", "Name=Lower Fixture\n");
    writeEntry(applications, "org.drowsel.GtkFixture", "Name=Gtk Fixture\n");
    // Found by a search for its class through the keywords, but it does not claim the class.
    writeEntry(applications, "decoy", "Name=Decoy\nKeywords=DecoyClass;\n");
}

} // namespace

int main(int argc, char** argv) {
    char dataHome[] = "/tmp/drowsel-x11-test-XXXXXX";
    if (mkdtemp(dataHome) == nullptr) {
        return 2;
    }
    setenv("XDG_DATA_HOME", dataHome, 1);
    setenv("LANGUAGE", "de", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    writeTestEntries(dataHome);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(dataHome);
    return result;
}
