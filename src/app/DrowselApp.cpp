// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DrowselApp.h"

#include "LaunchAtLogin/LaunchAtLogin.h"
#include "app/CommandLine.h"
#include "app/DisplayProbe.h"
#include "app/DrowselShell.h"
#include "app/LinuxPlatform.h"
#include "app/SingleInstance.h"
#include "panel/ContentView.h"

#include <QApplication>
#include <QPixmapCache>
#include <QTranslator>

#include <cstdio>
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
// there. The user's own choice of platform stands. Called once the displays
// that do not answer are out of the environment.
void chooseQtPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "xcb");
    }
}

// Settled before Qt's platform connects, with no display needed: the command
// line, and whether any display answers (Qt would abort without one).
std::optional<int> exitStatusBeforeStart(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    DrowselApp::translateTo(QLocale());
    CommandLine::process(application);
    if (!DisplayProbe::keepDisplaysThatAnswer()) {
        std::fprintf(stderr, "%s\n", qPrintable(DisplayProbe::noDisplayMessage()));
        return 1;
    }
    return std::nullopt;
}

} // namespace

int DrowselApp::main(int argc, char** argv) {
    if (const auto status = exitStatusBeforeStart(argc, argv)) {
        return *status;
    }
    chooseQtPlatform();
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
    const auto instance = SingleInstance::claim(Logger(platform->log(), LinuxPlatform::bundleIdentifier, "main"));
    if (!instance) {
        return 0;
    }
    endWhenTheSessionEnds(*platform);
    LaunchAtLogin::useLogSink(platform->log());
    use({platform->coreServices(), platform->viewEnvironment()});

    DrowselShell shell(DrowselApp().body(), sharedManager(), *platform);
    QObject::connect(instance.get(), &SingleInstance::activationRequested,
                     [&tray = shell.tray()] { tray.panel().openNear(tray.icon().geometry()); });
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
