// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DrowselApp.h"

#include "LaunchAtLogin/LaunchAtLogin.h"
#include "app/DrowselShell.h"
#include "app/LinuxPlatform.h"
#include "panel/ContentView.h"

#include <QApplication>
#include <QPixmapCache>
#include <QTranslator>

#include <optional>

namespace drowsel {

namespace {

constexpr int pixmapCacheKiB = 2048;

std::optional<DrowselApp::Services>& services() {
    static std::optional<DrowselApp::Services> current;
    return current;
}

LogSink* xcbMessageSink = nullptr;
QtMessageHandler previousMessageHandler = nullptr;

// Qt's own X connection may notice a dead server first and end the process at
// once, with only this warning (its text is all that tells it): it goes to the
// log as well.
void logXcbConnectionBreak(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("The X11 connection broke"))) {
        Logger(*xcbMessageSink, LinuxPlatform::bundleIdentifier, "main").error("Qt: " + message.toStdString());
    }
    previousMessageHandler(type, context, message);
}

void endWhenTheSessionEnds(LinuxPlatform& platform) {
    xcbMessageSink = &platform.log();
    previousMessageHandler = qInstallMessageHandler(logXcbConnectionBreak);
    QObject::connect(&platform.workspaces(), &SessionWorkspaces::connectionLost, [&platform] {
        Logger(platform.log(), LinuxPlatform::bundleIdentifier, "main")
            .error("Lost the connection to the display server; quitting");
        QCoreApplication::exit(1);
    });
}

// The panel opens as a popup at the tray icon, which only X11 lets a client
// place: in a Wayland session our windows go through XWayland when it is
// there. The user's own choice of platform stands.
void preferX11ForOurWindows() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

} // namespace

int DrowselApp::main(int argc, char** argv) {
    preferX11ForOurWindows();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Drowsel"));
    QApplication::setOrganizationName(QStringLiteral("Drowsel"));
    QGuiApplication::setDesktopFileName(LinuxPlatform::bundleIdentifier);
    QApplication::setQuitOnLastWindowClosed(false);
    // Icons scaled for the panel stay in Qt's pixmap cache after their
    // applications have gone, up to its limit: 2 MiB holds hundreds of rows.
    QPixmapCache::setCacheLimit(pixmapCacheKiB);
    translateTo(QLocale());

    // Never released, like the manager built on it: nothing of it outlives the Qt application.
    static LinuxPlatform* const platform = LinuxPlatform::open().release();
    if (!platform) {
        return 1;
    }
    endWhenTheSessionEnds(*platform);
    LaunchAtLogin::useLogSink(platform->log());
    use({platform->coreServices(), platform->viewEnvironment()});

    DrowselShell shell(DrowselApp().body(), sharedManager(), *platform);
    shell.tray().show();
    return application.exec();
}

bool DrowselApp::translateTo(const QLocale& locale) {
    static QTranslator translator;
    QCoreApplication::removeTranslator(&translator);
    return translator.load(locale, QStringLiteral("drowsel"), QStringLiteral("_"), QStringLiteral(":/i18n")) &&
           QCoreApplication::installTranslator(&translator);
}

void DrowselApp::use(const Services& chosen) { services().emplace(chosen); }

RunningAppsManager& DrowselApp::sharedManager() {
    static const auto* const manager =
        new std::shared_ptr<RunningAppsManager>(RunningAppsManager::create(services().value().core));
    return **manager;
}

std::unique_ptr<TrayItem> DrowselApp::body() const {
    return std::make_unique<TrayItem>(std::make_unique<ContentView>(sharedManager(), services().value().views));
}

} // namespace drowsel
