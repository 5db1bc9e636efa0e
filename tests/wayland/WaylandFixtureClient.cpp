// A Qt Widgets client for the compositor tests; a native Wayland client under
// QT_QPA_PLATFORM=wayland. Options:
//   --app-id ID      the desktop file name, which Qt gives the compositor as app id
//   --title T        the title of the first window; further ones are "T 2", "T 3", ...
//   --windows N      N normal top-level windows (default 1)
//   --tool           one more window of type Qt::Tool, transient for the first
//   --refuse-close   ignores every close request: the windows stay, the process runs on
//   --tray           a tray icon as well (StatusNotifierItem when a watcher is on the bus)
//   --log FILE       appends "<app-id> close request" for every close request received,
//                    and "<app-id> tray activated" for every click on the tray icon
// Without --refuse-close it exits 0 once its last normal window is closed.
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QStringList>
#include <QSystemTrayIcon>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct Options {
    QString appId;
    QString title = QStringLiteral("Fixture");
    int windowCount = 1;
    bool hasTool = false;
    bool hasTrayIcon = false;
    bool refusesClose = false;
    QString logPath;
};

Options parse(const QStringList& arguments) {
    Options options;
    for (auto argument = arguments.begin() + 1; argument != arguments.end(); ++argument) {
        const auto next = [&] { return argument + 1 != arguments.end() ? *++argument : QString(); };
        if (*argument == QLatin1String("--app-id")) {
            options.appId = next();
        } else if (*argument == QLatin1String("--title")) {
            options.title = next();
        } else if (*argument == QLatin1String("--windows")) {
            options.windowCount = std::max(1, next().toInt());
        } else if (*argument == QLatin1String("--tool")) {
            options.hasTool = true;
        } else if (*argument == QLatin1String("--tray")) {
            options.hasTrayIcon = true;
        } else if (*argument == QLatin1String("--refuse-close")) {
            options.refusesClose = true;
        } else if (*argument == QLatin1String("--log")) {
            options.logPath = next();
        }
    }
    return options;
}

void log(const Options& options, const char* event) {
    if (options.logPath.isEmpty()) {
        return;
    }
    QFile log(options.logPath);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write(QGuiApplication::desktopFileName().toUtf8() + ' ' + event + '\n');
    }
}

class FixtureWindow : public QLabel {
public:
    FixtureWindow(const Options& options, const QString& title, QWidget* parent = nullptr, Qt::WindowFlags flags = {})
        : QLabel(title, parent, flags), options(options) {
        setWindowTitle(title);
        setAlignment(Qt::AlignCenter);
        resize(240, 160);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        log(options, "close request");
        if (options.refusesClose) {
            event->ignore();
        } else {
            event->accept();
        }
    }

private:
    const Options& options;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const Options options = parse(QApplication::arguments());
    // Without an app id of its own the client is named after its executable, as Qt would do.
    QGuiApplication::setDesktopFileName(options.appId.isEmpty() ? QApplication::applicationName() : options.appId);
    std::vector<std::unique_ptr<FixtureWindow>> windows;
    for (int index = 1; index <= options.windowCount; ++index) {
        const QString title = index == 1 ? options.title : QStringLiteral("%1 %2").arg(options.title).arg(index);
        windows.push_back(std::make_unique<FixtureWindow>(options, title));
        windows.back()->show();
    }
    if (options.hasTool) {
        // A child widget with a window type of its own: a palette, owned by the first window.
        auto* tool =
            new FixtureWindow(options, options.title + QStringLiteral(" tool"), windows.front().get(), Qt::Tool);
        tool->setAttribute(Qt::WA_QuitOnClose, false);
        tool->show();
    }
    QPixmap square(22, 22);
    square.fill(Qt::darkCyan);
    QSystemTrayIcon trayIcon{QIcon(square)};
    QObject::connect(&trayIcon, &QSystemTrayIcon::activated, [&options] { log(options, "tray activated"); });
    trayIcon.setVisible(options.hasTrayIcon);
    return QApplication::exec();
}
