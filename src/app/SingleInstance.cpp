// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace drowsel {

namespace {

const QString serviceName = QStringLiteral("com.drowsel.Drowsel");
const QString objectPath = QStringLiteral("/com/drowsel/Drowsel");
// A first instance too busy to answer in this time is left to itself.
constexpr int activationTimeoutMs = 5000;

// One lock per display: Drowsels on different displays of one user are
// different sessions' (and the tests' private displays).
QString lockPath() {
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY", qEnvironmentVariable("DISPLAY"));
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("drowsel-%1.lock").arg(display));
}

void askTheFirstToActivate(const Logger& log) {
    const auto reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("Activate")), QDBus::Block,
        activationTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        log.error("Drowsel already runs but did not open its panel: " + reply.errorMessage().toStdString());
    }
}

} // namespace

std::unique_ptr<SingleInstance> SingleInstance::claim(const Logger& log) {
    std::unique_ptr<SingleInstance> instance(new SingleInstance);
    const bool isFirst =
        QDBusConnection::sessionBus().isConnected() ? instance->ownBusName(log) : instance->lockFile(log);
    if (!isFirst) {
        log.info("Drowsel already runs in this session; this start ends");
        return nullptr;
    }
    return instance;
}

SingleInstance::~SingleInstance() {
    if (lockDescriptor >= 0) {
        ::close(lockDescriptor);
    }
}

void SingleInstance::Activate() { Q_EMIT activationRequested(); }

// The object is in place before the name is taken, so a later start that
// finds the name also finds the method.
bool SingleInstance::ownBusName(const Logger& log) {
    auto bus = QDBusConnection::sessionBus();
    bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    if (bus.registerService(serviceName)) {
        return true;
    }
    askTheFirstToActivate(log);
    return false;
}

// A lock file that cannot be made keeps no one from running: Drowsel runs.
bool SingleInstance::lockFile(const Logger& log) {
    const QByteArray path = lockPath().toLocal8Bit();
    lockDescriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockDescriptor < 0) {
        log.error("Cannot open " + path.toStdString() + ": " + std::strerror(errno) + "; not kept to one Drowsel");
        return true;
    }
    return ::flock(lockDescriptor, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

} // namespace drowsel
