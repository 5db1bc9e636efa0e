// SPDX-License-Identifier: GPL-3.0-or-later
// The main of every widget and Qt test program: a QApplication on the
// offscreen platform, with settings and data folders of its own; the data
// folder holds the desktop entries the workspace tests name applications by
// (set before GIO first reads the data directories).
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace {

void writeEntry(const QTemporaryDir& dataHome, const std::string& id, const std::string& lines) {
    std::ofstream(dataHome.filePath("applications/" + QString::fromStdString(id) + ".desktop").toStdString())
        << "[Desktop Entry]\nType=Application\nExec=true\n"
        << lines;
}

void writeTestEntries(const QTemporaryDir& dataHome) {
    QDir(dataHome.path()).mkpath("applications");
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    red.save(dataHome.filePath("red.png"));
    QImage huge(4096, 4096, QImage::Format_Mono);
    huge.fill(0);
    huge.save(dataHome.filePath("huge.png"));
    writeEntry(dataHome, "drowsel-test-startup",
               "Name=Startup Fixture\nName[de]=Start-Fixture\nStartupWMClass=DrowselStartupClass\nIcon=" +
                   dataHome.filePath("red.png").toStdString() + "\n");
    writeEntry(dataHome, "drowsel-test-huge",
               "Name=Huge Fixture\nStartupWMClass=HugeIconClass\nIcon=" + dataHome.filePath("huge.png").toStdString() +
                   "\n");
    writeEntry(dataHome, "org.drowsel.ExactFixture", "Name=Exact Fixture\n");
    writeEntry(dataHome, "lowerfixture", "Name=Lower Fixture\n");
    writeEntry(dataHome, "org.drowsel.GtkFixture", "Name=Gtk Fixture\n");
    // Found by a search for its class through the keywords, but it does not claim the class.
    writeEntry(dataHome, "decoy", "Name=Decoy\nKeywords=DecoyClass;\n");
}

} // namespace

int main(int argc, char** argv) {
    // CTest sets this for the runs; listing the tests happens outside them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // No test reads or writes the user's own settings, autostart or desktop entries.
    const QTemporaryDir configHome;
    const QTemporaryDir dataHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    QApplication application(argc, argv);
    writeTestEntries(dataHome);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
