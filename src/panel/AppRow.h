// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ApplicationHandle.h"
#include "core/Date.h"
#include "core/RunningAppsManager.h"
#include "toolkit/StoredValue.h"
#include "toolkit/View.h"
#include "toolkit/ViewEnvironment.h"

#include <QCheckBox>
#include <QLabel>

#include <cstdint>
#include <utility>

namespace drowsel {

class ElidedText;
class PlainButton;

// One tracked application in the panel: its automatic-quit checkbox, icon,
// name, the time left before it is quit, a button that restarts its idle
// clock and, when the user asked for it, a button that quits it now. Holds no
// state: every drawing reads the manager, the settings and the clock afresh.
class AppRow : public View {
    Q_OBJECT

public:
    // The application and the date of its last stamp, as the panel found it.
    using TrackedApp = std::pair<ApplicationHandle, Date>;

    static constexpr int iconSide = 28;
    static constexpr int nameMinimumWidth = 100;

    AppRow(TrackedApp app, RunningAppsManager& manager, const ViewEnvironment& environment, QWidget* parent = nullptr);

    // The application's name as shown: "Unknown" when it has none (or only
    // control characters), and without the control characters that would
    // garble the panel's text.
    static QString shownName(const ApplicationHandle& application);

protected:
    void redraw() override;

private:
    struct Looks {
        QString name;
        bool isOn;
        bool isUrgent;
        std::int64_t remaining;
    };

    // "12h left", "59m left", "0s left": one unit only.
    static QString timeLeftText(std::int64_t remaining);
    Looks currentLooks() const;
    std::int64_t remainingSeconds() const;
    void drawName(const Looks& looks);
    void drawAccessibleNames(const QString& name);
    void drawWork();
    static QString workText(const Work& work);
    void buildLayout();
    void connectActions();

    TrackedApp app;
    RunningAppsManager& manager;
    ViewEnvironment environment;
    StoredValue<std::int64_t> hoursUntilClose;
    StoredValue<bool> showCloseButton;

    QCheckBox* switchBox;
    QLabel* icon;
    ElidedText* name;
    QLabel* timeLeft;
    PlainButton* resetButton;
    PlainButton* quitButton;
};

} // namespace drowsel
