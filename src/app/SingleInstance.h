// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"

#include <QObject>

#include <memory>

namespace drowsel {

// One Drowsel a display. The first to start owns com.drowsel.Drowsel on the
// session bus; a later start asks it over the bus to open its panel, and
// ends. Without a session bus a lock on a file in the runtime folder, named
// after the display, keeps the one instance (the first one's panel stays
// shut then). The bus and the kernel release both when a Drowsel ends,
// however it ends.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.drowsel.Drowsel")

public:
    // Null when another Drowsel runs: it has been asked to open its panel.
    static std::unique_ptr<SingleInstance> claim(const Logger& log);
    ~SingleInstance() override;

public Q_SLOTS:
    // Called over the bus by a later start.
    Q_SCRIPTABLE void Activate();

Q_SIGNALS:
    // Another start of Drowsel asks for the panel.
    void activationRequested();

private:
    SingleInstance() = default;
    bool ownBusName(const Logger& log);
    bool lockFile(const Logger& log);

    int lockDescriptor = -1;
};

} // namespace drowsel
