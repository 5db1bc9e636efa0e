// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt Widgets client for the compositor tests; a native Wayland client under
// QT_QPA_PLATFORM=wayland. Options:
//   --app-id ID      the desktop file name, which Qt gives the compositor as app id
//   --windows N      N normal top-level windows, titled ID, "ID 2", "ID 3", ... (default 1)
//   --with-dock      one more window, titled "<ID>Dock", for the test to make a panel
//   --refuse-close   ignores every close request: the windows stay, the process runs on
//   --log FILE       appends "<window title> delete request" for every close request received
// Without --refuse-close it exits 0 once its last window is closed.
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Options {
    QStringList flags;
    QString logPath;
};

// --app-id, --windows and --log take a value; the others are flags.
Options parse(const QStringList& arguments, int& windowCount) {
    Options options;
    for (auto argument = arguments.begin() + 1; argument != arguments.end(); ++argument) {
        const auto next = [&] { return argument + 1 != arguments.end() ? *++argument : QString(); };
        if (*argument == QLatin1String("--app-id")) {
            QGuiApplication::setDesktopFileName(next());
        } else if (*argument == QLatin1String("--windows")) {
            windowCount = std::max(1, next().toInt());
        } else if (*argument == QLatin1String("--log")) {
            options.logPath = next();
        } else {
            options.flags << *argument;
        }
    }
    return options;
}

class FixtureWindow : public QLabel {
public:
    FixtureWindow(const Options& options, const QString& title) : QLabel(title), options(options) {
        setWindowTitle(title);
        resize(240, 160);
        // The compositor alone decides what takes the focus.
        setAttribute(Qt::WA_ShowWithoutActivating);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        QFile log(options.logPath);
        if (!options.logPath.isEmpty() && log.open(QIODevice::WriteOnly | QIODevice::Append)) {
            log.write(windowTitle().toUtf8() + " delete request\n");
        }
        event->setAccepted(!options.flags.contains(QLatin1String("--refuse-close")));
    }

private:
    const Options& options;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Without an app id of its own the client is named after its executable, as Qt would do.
    QGuiApplication::setDesktopFileName(QApplication::applicationName());
    int windowCount = 1;
    const Options options = parse(QApplication::arguments(), windowCount);
    const QString title = QGuiApplication::desktopFileName();
    std::vector<std::unique_ptr<FixtureWindow>> windows;
    for (int index = 1; index <= windowCount; ++index) {
        windows.push_back(std::make_unique<FixtureWindow>(
            options, index == 1 ? title : QStringLiteral("%1 %2").arg(title).arg(index)));
    }
    if (options.flags.contains(QLatin1String("--with-dock"))) {
        windows.push_back(std::make_unique<FixtureWindow>(options, title + QStringLiteral("Dock")));
    }
    for (const auto& window : windows) {
        window->show();
    }
    // Qt 6.4's Wayland plugin may hang for good tearing down its event
    // thread: the client leaves at once instead.
    std::_Exit(QApplication::exec());
}
