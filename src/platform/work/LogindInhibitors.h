// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Clock.h"
#include "core/Logger.h"

#include <QDBusConnection>
#include <QObject>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

class QDBusServiceWatcher;

namespace drowsel {

// The inhibitors logind holds (org.freedesktop.login1 on the system bus):
// which process keeps the computer from idling or sleeping, and why. The list
// is read only when asked, at most once per reread interval, with a short
// synchronous call; logind's coming and going is followed so that nothing is
// asked while it is away. A system bus that goes is reconnected to when asked,
// after a delay that grows with each failed attempt. Each outage is logged
// once, and its end once.
class LogindInhibitors : public QObject {
    Q_OBJECT
public:
    struct Delays {
        double reread = 60;        // seconds a read list is trusted
        double firstRetry = 10;    // before the first attempt to reach a lost system bus
        double longestRetry = 600; // the retry delay doubles up to this
    };

    LogindInhibitors(Logger log, const Clock& clock, Delays delays);
    LogindInhibitors(Logger log, const Clock& clock) : LogindInhibitors(std::move(log), clock, Delays{}) {}
    ~LogindInhibitors() override;

    // The reason of a blocking inhibitor, of any kind, one of the processes holds.
    std::optional<std::string> inhibitorWhy(const std::unordered_set<std::int64_t>& processes);
    bool isAvailable() const;

private Q_SLOTS:
    void onLogindOwnerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);

private:
    struct Inhibitor {
        std::int64_t pid = 0;
        std::string why;
    };

    bool reachBus();
    void connectBus();
    void dropBus();
    void readList();
    void reportOutage(const std::string& reason);
    void reportBack();

    Logger log;
    const Clock& clock;
    Delays delays;
    QDBusServiceWatcher* watcher;
    QString connectionName;
    int connections = 0;
    bool connected = false;
    bool logindPresent = false;
    double retryDelay;
    Date nextAttempt = 0;
    std::optional<Date> readAt;
    std::vector<Inhibitor> inhibitors;
    bool outageLogged = false;
    bool everSeen = false;
};

} // namespace drowsel
