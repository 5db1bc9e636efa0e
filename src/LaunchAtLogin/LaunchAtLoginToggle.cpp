// SPDX-License-Identifier: GPL-3.0-or-later
#include "LaunchAtLogin/LaunchAtLoginToggle.h"

#include <QCoreApplication>
#include <QHBoxLayout>

namespace drowsel {

LaunchAtLogin::Toggle::Toggle(QWidget* parent) : Toggle(QStringLiteral("Launch at login"), parent) {}

LaunchAtLogin::Toggle::Toggle(TitleKey title, QWidget* parent)
    : Toggle(QCoreApplication::translate("LaunchAtLogin", title.text), parent) {}

LaunchAtLogin::Toggle::Toggle(const LabelBuilder& label, QWidget* parent) : Toggle(QString(), parent) {
    // What the checkbox does, for a screen reader, whatever the label shows.
    box->setAccessibleName(QStringLiteral("Launch at login"));
    layout()->addWidget(label());
}

LaunchAtLogin::Toggle::Toggle(const QString& title, QWidget* parent) : View(parent), box(new QCheckBox(title, this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
    connect(box, &QCheckBox::clicked, this, [](bool isOn) { LaunchAtLogin::observable().setEnabled(isOn); });
    observe(LaunchAtLogin::observable().objectWillChange());
    redraw();
}

void LaunchAtLogin::Toggle::redraw() { box->setChecked(LaunchAtLogin::observable().isEnabled()); }

} // namespace drowsel
