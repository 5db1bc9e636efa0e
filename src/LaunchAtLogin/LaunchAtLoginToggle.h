// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LaunchAtLogin/LaunchAtLogin.h"
#include "toolkit/View.h"

#include <QCheckBox>

#include <functional>

namespace drowsel {

// A checkbox showing whether Drowsel starts at login, as the autostart entry
// says at every drawing; flipping it registers or unregisters. All toggles
// observe the one shared observable, so they change together, and one whose
// change failed springs back to what is on disk.
class LaunchAtLogin::Toggle : public View {
public:
    // A title looked up for translation, the title itself being the key.
    struct TitleKey {
        const char* text;
    };
    using LabelBuilder = std::function<QWidget*()>;

    // Labelled "Launch at login", not translated.
    explicit Toggle(QWidget* parent = nullptr);
    // Labelled with the title as it stands.
    explicit Toggle(const QString& title, QWidget* parent = nullptr);
    explicit Toggle(TitleKey title, QWidget* parent = nullptr);
    // The builder runs once, now; the checkbox is shown before its label.
    explicit Toggle(const LabelBuilder& label, QWidget* parent = nullptr);

    QCheckBox* checkBox() const { return box; }

protected:
    void redraw() override;

private:
    QCheckBox* box;
};

} // namespace drowsel
