// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/record/RecentQuits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace drowsel {

namespace {

const QString nameKey = QStringLiteral("name");
const QString entryKey = QStringLiteral("desktopEntry");
const QString timeKey = QStringLiteral("askedAt");

QJsonObject toJson(const RecentQuits::Entry& entry) {
    return {{nameKey, entry.name}, {entryKey, entry.desktopEntry}, {timeKey, entry.askedAt}};
}

bool isEntry(const QJsonValue& value) {
    const auto object = value.toObject();
    return object[nameKey].isString() && object[entryKey].isString() && object[timeKey].isDouble();
}

} // namespace

RecentQuits::RecentQuits(Logger log, Launcher launch)
    : RecentQuits(defaultFilePath(), std::move(log), std::move(launch)) {}

RecentQuits::RecentQuits(QString filePath, Logger log, Launcher launch)
    : path(std::move(filePath)), log(std::move(log)), launch(std::move(launch)) {
    load();
}

// GenericStateLocation needs Qt 6.7, newer than Debian 12's.
QString RecentQuits::defaultFilePath() {
    auto stateHome = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(stateHome)) {
        stateHome = QDir::homePath() + "/.local/state";
    }
    return stateHome + "/Drowsel/recent.json";
}

void RecentQuits::add(const ApplicationHandle& application, Date askedAt) {
    const auto location = QString::fromStdString(application->bundleLocation().value_or(""));
    const auto name = QString::fromStdString(application.name());
    recent.insert(recent.begin(), Entry{name.isEmpty() ? tr("Unknown") : name,
                                        location.endsWith(".desktop") ? location : QString(), askedAt});
    if (recent.size() > capacity) {
        recent.resize(capacity);
    }
    save();
}

bool RecentQuits::reopen(std::size_t index) const {
    if (!canReopen(index)) {
        return false;
    }
    const auto entry = recent[index].desktopEntry.toStdString();
    std::string problem;
    if (launch(entry, problem)) {
        return true;
    }
    log.error("Could not reopen " + entry + ": " + problem);
    return false;
}

void RecentQuits::load() {
    QFile file(path);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setAside(file.errorString());
    } else if (!parse(file.readAll())) {
        setAside("not a list of quits");
    }
}

bool RecentQuits::parse(const QByteArray& contents) {
    const auto list = QJsonDocument::fromJson(contents);
    if (!list.isArray() || !std::ranges::all_of(list.array(), isEntry)) {
        return false;
    }
    for (const auto& value : list.array()) {
        const auto object = value.toObject();
        recent.push_back({object[nameKey].toString(), object[entryKey].toString(), object[timeKey].toDouble()});
    }
    if (recent.size() > capacity) {
        recent.resize(capacity);
    }
    return true;
}

void RecentQuits::setAside(const QString& reason) {
    const auto asideName = path + ".corrupt";
    QFile::remove(asideName);
    const bool moved = QFile::rename(path, asideName);
    log.error("Could not read the recent quits in " + path.toStdString() + " (" + reason.toStdString() +
              "): " + (moved ? "set aside as " + asideName.toStdString() : std::string("left in place")));
}

void RecentQuits::save() const {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    QJsonArray list;
    for (const auto& entry : recent) {
        list.append(toJson(entry));
    }
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(list).toJson()) < 0 || !file.commit()) {
        log.error("Could not save the recent quits to " + path.toStdString() + ": " + file.errorString().toStdString());
    }
}

} // namespace drowsel
