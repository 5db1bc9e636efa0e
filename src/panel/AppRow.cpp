// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/AppRow.h"

#include "core/DefaultsKeys.h"
#include "toolkit/ElidedText.h"
#include "toolkit/PlainButton.h"

#include <QHBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace drowsel {

namespace {

constexpr std::int64_t secondsPerHour = 3600;
constexpr std::int64_t secondsPerMinute = 60;
const QColor offColour = Qt::gray;

// The stored limit and the clock come from outside the program: whatever they
// hold, the count saturates instead of overflowing.
std::int64_t saturated(long double seconds) {
    constexpr auto lowest = std::numeric_limits<std::int64_t>::min();
    constexpr auto highest = std::numeric_limits<std::int64_t>::max();
    if (std::isnan(seconds)) {
        return 0;
    }
    if (seconds <= static_cast<long double>(lowest)) {
        return lowest;
    }
    if (seconds >= static_cast<long double>(highest)) {
        return highest;
    }
    return static_cast<std::int64_t>(seconds);
}

// Bidi embeddings, overrides, isolates and marks: in a name, they would turn
// the text around it.
bool isDirectionControl(QChar character) {
    const char16_t code = character.unicode();
    return (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) || code == 0x200E ||
           code == 0x200F || code == 0x061C;
}

// A name within a sentence keeps its direction to itself (first strong
// isolate ... pop directional isolate).
QString isolated(const QString& name) { return QChar(0x2068) + name + QChar(0x2069); }

// Names and reasons come from other programs: their control characters would garble the panel's text.
QString withoutControls(QString text) {
    text.removeIf(
        [](QChar character) { return character.category() == QChar::Other_Control || isDirectionControl(character); });
    return text;
}

QFont withWeight(QFont font, bool isBold) {
    font.setBold(isBold);
    return font;
}

} // namespace

AppRow::AppRow(TrackedApp app, RunningAppsManager& manager, const ViewEnvironment& environment, QWidget* parent)
    : View(parent), app(std::move(app)), manager(manager), environment(environment),
      hoursUntilClose(environment.settings, DefaultsKeys::hoursUntilClose, DefaultsKeys::hoursUntilCloseFallback),
      showCloseButton(environment.settings, DefaultsKeys::showCloseButton, false), switchBox(new QCheckBox(this)),
      icon(new QLabel(this)), name(new ElidedText(nameMinimumWidth, this)), timeLeft(new QLabel(this)),
      resetButton(new PlainButton(":/images/ResetGlyph.svg", this)),
      quitButton(new PlainButton(":/images/QuitGlyph.svg", this)) {
    buildLayout();
    connectActions();
    observe(manager.objectWillChange());
    observe(hoursUntilClose.willChange());
    observe(showCloseButton.willChange());
    redraw();
}

void AppRow::buildLayout() {
    switchBox->setObjectName("switch");
    icon->setObjectName("icon");
    name->setObjectName("name");
    timeLeft->setObjectName("timeLeft");
    resetButton->setObjectName("reset");
    quitButton->setObjectName("quit");
    icon->setFixedSize(iconSide, iconSide);
    icon->setAlignment(Qt::AlignCenter);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(switchBox);
    layout->addWidget(icon);
    // The name takes all free width, which keeps the time and the buttons
    // together at the trailing end.
    layout->addWidget(name, 1);
    layout->addWidget(timeLeft);
    layout->addWidget(resetButton);
    layout->addWidget(quitButton);
}

void AppRow::connectActions() {
    connect(switchBox, &QCheckBox::clicked, this, [this](bool isOn) { manager.setToggle(app.first.name(), isOn); });
    connect(resetButton, &PlainButton::clicked, this, [this] { manager.resetIdleClock(app.first); });
    // A normal quit request only, logged and recorded as the sweep's are.
    connect(quitButton, &PlainButton::clicked, this, [this] { manager.quitNow(app.first); });
}

QString AppRow::timeLeftText(std::int64_t remaining) {
    if (remaining >= secondsPerHour) {
        return QString::number(remaining / secondsPerHour) + "h left";
    }
    if (remaining >= secondsPerMinute) {
        return QString::number(remaining / secondsPerMinute) + "m left";
    }
    return QString::number(remaining) + "s left";
}

std::int64_t AppRow::remainingSeconds() const {
    // The panel may keep a row across the manager's changes: the manager's
    // date is the newer one while the application is tracked.
    const auto tracked = manager.runningApps().find(app.first);
    const Date stamp = tracked != manager.runningApps().end() ? tracked->second : app.second;
    const std::int64_t elapsed = saturated(std::trunc(environment.clock.now() - stamp));
    // As the sweep does, a negative stored limit counts as zero, and a row
    // shows no time past the limit.
    const long double limit =
        static_cast<long double>(std::max<std::int64_t>(hoursUntilClose.value(), 0)) * secondsPerHour;
    return std::max<std::int64_t>(saturated(limit - static_cast<long double>(elapsed)), 0);
}

QString AppRow::shownName(const ApplicationHandle& application) {
    const auto localizedName = application->localizedName();
    if (!localizedName) {
        return QStringLiteral("Unknown");
    }
    const QString name = withoutControls(QString::fromStdString(*localizedName));
    return name.isEmpty() ? QStringLiteral("Unknown") : name;
}

AppRow::Looks AppRow::currentLooks() const {
    const std::int64_t remaining = remainingSeconds();
    return {shownName(app.first), manager.toggleFor(app.first.name()), remaining < secondsPerHour, remaining};
}

void AppRow::redraw() {
    const Looks looks = currentLooks();
    switchBox->setChecked(looks.isOn);
    const QString location = QString::fromStdString(app.first->bundleLocation().value_or(""));
    icon->setPixmap(environment.icons.iconForFile(location).pixmap(QSize(iconSide, iconSide), devicePixelRatioF()));
    drawName(looks);
    timeLeft->setVisible(looks.isOn);
    timeLeft->setText(timeLeftText(looks.remaining));
    timeLeft->setFont(withWeight(font(), looks.isUrgent));
    resetButton->setEnabled(looks.isOn);
    quitButton->setEnabled(looks.isOn);
    quitButton->setVisible(showCloseButton.value());
    drawAccessibleNames(looks.name);
    drawWork();
}

// Why an application in the background is spared: the row's tooltip, and its
// description for screen readers.
void AppRow::drawWork() {
    const auto work = manager.workOf(app.first);
    const QString text = work ? workText(*work) : QString();
    setToolTip(text);
    setAccessibleDescription(text);
}

QString AppRow::workText(const Work& work) {
    switch (work.kind) {
    case Work::Kind::playingSound:
        return tr("Playing sound: not idle");
    case Work::Kind::recording:
        return tr("Recording: not idle");
    case Work::Kind::keepingAwake: {
        const QString reason = withoutControls(QString::fromStdString(work.reason));
        return tr("Keeping the computer awake: %1").arg(reason.isEmpty() ? tr("not idle") : isolated(reason));
    }
    case Work::Kind::runningCommand:
        return tr("Running a command: not idle");
    }
    return {};
}

void AppRow::drawName(const Looks& looks) {
    name->setText(looks.name);
    name->setFont(withWeight(font(), looks.isOn && looks.isUrgent));
    QPalette colours = palette();
    if (!looks.isOn) {
        colours.setColor(QPalette::WindowText, offColour);
    }
    name->setPalette(colours);
}

void AppRow::drawAccessibleNames(const QString& appName) {
    const QString embedded = isolated(appName);
    switchBox->setAccessibleName(tr("Quit %1 automatically").arg(embedded));
    resetButton->setAccessibleName(tr("Reset idle time of %1").arg(embedded));
    resetButton->setToolTip(resetButton->accessibleName());
    quitButton->setAccessibleName(tr("Quit %1 now").arg(embedded));
    quitButton->setToolTip(quitButton->accessibleName());
}

} // namespace drowsel
