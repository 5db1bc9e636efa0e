// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/SettingsFileStore.h"

#include <QStandardPaths>

namespace drowsel {

SettingsFileStore::SettingsFileStore(Logger log)
    : SettingsFileStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                            QStringLiteral("/Drowsel/Drowsel.conf"),
                        std::move(log)) {}

SettingsFileStore::SettingsFileStore(const QString& filePath, Logger log)
    : settings(filePath, QSettings::IniFormat), log(std::move(log)) {}

QVariant SettingsFileStore::read(const std::string& key) const {
    settings.sync();
    return settings.value(QString::fromStdString(key));
}

std::optional<std::int64_t> SettingsFileStore::integer(const std::string& key) const {
    const QVariant value = read(key);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::QString: {
        bool isInteger = false;
        const qlonglong number = value.toString().trimmed().toLongLong(&isInteger);
        return isInteger ? std::optional<std::int64_t>(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<bool> SettingsFileStore::boolean(const std::string& key) const {
    const QVariant value = read(key);
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool();
    }
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text == QLatin1String("true")) {
            return true;
        }
        if (text == QLatin1String("false")) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<std::string> SettingsFileStore::data(const std::string& key) const {
    const QVariant value = read(key);
    if (value.typeId() != QMetaType::QByteArray) {
        return std::nullopt;
    }
    return value.toByteArray().toStdString();
}

QString SettingsFileStore::text(const std::string& key) const {
    const QVariant value = read(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void SettingsFileStore::setText(const std::string& key, const QString& value) { write(key, value); }

void SettingsFileStore::setInteger(const std::string& key, std::int64_t value) {
    write(key, QVariant::fromValue<qlonglong>(value));
}

void SettingsFileStore::setBoolean(const std::string& key, bool value) { write(key, value); }

void SettingsFileStore::setData(const std::string& key, const std::string& value) {
    write(key, QByteArray::fromStdString(value));
}

void SettingsFileStore::write(const std::string& key, const QVariant& value) {
    // QSettings keeps its first error for good; a writer of its own reports on this save alone.
    // It shares the file's cache with the reader, so a value it cannot save stays readable and
    // goes out with the next save that works.
    QSettings writer(settings.fileName(), QSettings::IniFormat);
    writer.setValue(QString::fromStdString(key), value);
    writer.sync();
    if (writer.status() != QSettings::NoError) {
        log.error("Failed to save " + key + " to " + settings.fileName().toStdString() +
                  (writer.status() == QSettings::AccessError ? ": access denied" : ": unreadable file"));
    }
}

} // namespace drowsel
