// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "toolkit/StoredValue.h"
#include "toolkit/View.h"

#include <QVariantMap>

#include <cstdint>
#include <optional>

class QCheckBox;
class QLabel;

namespace drowsel {

class Stepper;

// The settings window's content: Drowsel's picture, name and version, and the
// three settings: launch at login, the idle limit and the rows' quit button.
// Writes the stored settings at once and redraws whenever they change.
class SettingsView : public View {
    Q_OBJECT

public:
    static constexpr int pictureSide = 100;
    static constexpr int captionWidth = 100;
    static constexpr int captionInset = 20;

    // infoDictionary: the keys "CFBundleShortVersionString" and
    // "CFBundleVersion"; absent counts as both missing.
    explicit SettingsView(StoredSettings& settings, std::optional<QVariantMap> infoDictionary,
                          QWidget* parent = nullptr);

protected:
    void redraw() override;

private:
    QWidget* picture();
    QWidget* title();
    QWidget* settingsBlock();
    QWidget* settingsLine(const QString& caption, const QList<QWidget*>& controls);
    QString versionText() const;

    StoredValue<std::int64_t> hoursUntilClose;
    StoredValue<bool> showCloseButton;
    std::optional<QVariantMap> infoDictionary;

    QLabel* version;
    Stepper* stepper;
    QCheckBox* closeButtonBox;
};

} // namespace drowsel
