// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/ContentView.h"

#include "panel/FooterButton.h"
#include "settings/MainBundle.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindowController.h"
#include "toolkit/HoverRegion.h"

#include <QCoreApplication>
#include <QFrame>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

namespace drowsel {

namespace {

constexpr int rowAreaTopInset = 5;
constexpr int dividerVerticalInset = 5;
constexpr int notShown = std::numeric_limits<int>::max();

// Brings back a window the user closed or minimised, in front and focused.
// Activating one of its windows is what makes Drowsel the active application.
void bringToFront(QWidget& window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

ContentView::ContentView(RunningAppsManager& manager, const ViewEnvironment& environment, QWidget* parent)
    : View(parent), manager(manager), environment(environment), rowArea(new QWidget(this)),
      rowStack(new QVBoxLayout(rowArea)),
      settingsButton(footerButton(tr("Settings"), HoveredButton::settings, &ContentView::openSettings)),
      quitButton(footerButton(tr("Quit Drowsel"), HoveredButton::quit, &ContentView::quitApplication)) {
    buildLayout();
    observe(manager.objectWillChange());
    redraw();
}

FooterButton* ContentView::footerButton(const QString& text, HoveredButton hoverCase, void (ContentView::*action)()) {
    auto* button = new FooterButton(text, this);
    // Leaving clears the hover whichever button it names: the two rows touch,
    // and the last event the toolkit delivers wins.
    HoverRegion::attach(button, [this, hoverCase](bool isHovered) {
        hoveredButton = isHovered ? std::optional(hoverCase) : std::nullopt;
        setNeedsRedraw();
    });
    connect(button, &FooterButton::clicked, this, action);
    return button;
}

void ContentView::buildLayout() {
    rowArea->setObjectName("rows");
    settingsButton->setObjectName("settings");
    quitButton->setObjectName("quit");
    setFixedWidth(stackWidth + 2 * stackInset);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(stackInset, stackInset, stackInset, stackInset);
    stack->setSpacing(0);

    rowStack->setContentsMargins(rowInset, rowAreaTopInset, rowInset, 0);
    rowStack->setSpacing(0);
    stack->addWidget(rowArea);

    auto* divider = new QFrame(this);
    divider->setObjectName("divider");
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    auto* dividerInsets = new QVBoxLayout;
    dividerInsets->setContentsMargins(rowInset, dividerVerticalInset, rowInset, dividerVerticalInset);
    dividerInsets->addWidget(divider);
    stack->addLayout(dividerInsets);

    stack->addWidget(settingsButton);
    stack->addWidget(quitButton);
}

void ContentView::redraw() {
    if (!pointerIsIn()) {
        closeGaps();
    }
    drawRows(sortedApps());
    drawFooter();
}

QList<uint> ContentView::nameKey(const ApplicationHandle& application) {
    // A nameless application sorts under the text its row shows.
    return AppRow::shownName(application).normalized(QString::NormalizationForm_C).toUcs4();
}

int ContentView::rowIndexOf(const ApplicationHandle& application) const {
    const auto row = rows.find(application);
    return row == rows.end() ? notShown : rowStack->indexOf(row->second);
}

std::vector<AppRow::TrackedApp> ContentView::sortedApps() const {
    std::vector<SortedApp> sorted;
    sorted.reserve(manager.runningApps().size());
    for (const auto& app : manager.runningApps()) {
        sorted.push_back({nameKey(app.first), rowIndexOf(app.first), app});
    }
    // Rows of equal names stay where they were shown instead of swapping
    // whenever the manager's map happens to iterate differently.
    std::ranges::stable_sort(sorted, [](const SortedApp& left, const SortedApp& right) {
        return std::tie(left.nameKey, left.shownAt) < std::tie(right.nameKey, right.shownAt);
    });
    std::vector<AppRow::TrackedApp> apps;
    apps.reserve(sorted.size());
    std::ranges::transform(sorted, std::back_inserter(apps), &SortedApp::app);
    return apps;
}

void ContentView::drawRows(const std::vector<AppRow::TrackedApp>& apps) {
    bool rowsChanged = removeRowsOfAppsGone();
    std::vector<QWidget*> rowsInOrder;
    rowsInOrder.reserve(apps.size());
    for (const auto& app : apps) {
        auto [entry, isNew] = rows.try_emplace(app.first, nullptr);
        if (isNew) {
            entry->second = new AppRow(app, manager, environment, rowArea);
            rowsChanged = true;
        }
        rowsInOrder.push_back(entry->second);
    }
    const std::vector<QWidget*> shown = withGapsInPlace(std::move(rowsInOrder));
    for (int index = 0; index < static_cast<int>(shown.size()); ++index) {
        if (rowStack->indexOf(shown[index]) != index) {
            rowStack->removeWidget(shown[index]);
            rowStack->insertWidget(index, shown[index]);
        }
    }
    if (rowsChanged) {
        fitToRows();
    }
}

bool ContentView::removeRowsOfAppsGone() {
    bool removed = false;
    for (auto row = rows.begin(); row != rows.end();) {
        if (manager.runningApps().contains(row->first)) {
            ++row;
            continue;
        }
        if (pointerIsIn()) {
            leaveGapFor(row->second);
        }
        delete row->second;
        row = rows.erase(row);
        removed = true;
    }
    return removed;
}

void ContentView::leaveGapFor(AppRow* row) {
    auto* gap = new QWidget(rowArea);
    gap->setFixedHeight(row->height());
    rowStack->insertWidget(rowStack->indexOf(row), gap);
    gaps.push_back(gap);
}

// A gap stays right below what was above it; the rows take their order around the gaps.
std::vector<QWidget*> ContentView::withGapsInPlace(std::vector<QWidget*> rowsInOrder) const {
    QWidget* above = nullptr;
    for (int index = 0; index < rowStack->count(); ++index) {
        QWidget* shown = rowStack->itemAt(index)->widget();
        if (std::ranges::find(gaps, shown) != gaps.end()) {
            const auto after = std::ranges::find(rowsInOrder, above);
            rowsInOrder.insert(after == rowsInOrder.end() ? rowsInOrder.begin() : after + 1, shown);
        }
        above = shown;
    }
    return rowsInOrder;
}

void ContentView::closeGaps() {
    if (gaps.empty()) {
        return;
    }
    for (QWidget* gap : std::exchange(gaps, {})) {
        delete gap;
    }
    fitToRows();
}

// A window holding the panel takes its new height. Hidden, the panel is
// measured when it opens: measuring text loads the fonts, about 2.3 MiB that
// a panel never opened need not cost.
void ContentView::fitToRows() {
    if (isVisible()) {
        adjustSize();
    }
}

void ContentView::drawFooter() {
    settingsButton->setHighlighted(hoveredButton == HoveredButton::settings);
    quitButton->setHighlighted(hoveredButton == HoveredButton::quit);
}

void ContentView::hideEvent(QHideEvent* event) {
    // A closing popup hears no leave: without this, the button last under the
    // pointer would still be blue when the panel opens again.
    hoveredButton.reset();
    drawFooter();
    setNeedsRedraw();
    View::hideEvent(event);
}

// Closing up waits for the redraw: the toolkit is still telling the gap under
// the pointer that it left.
void ContentView::leaveEvent(QEvent* event) {
    setNeedsRedraw();
    View::leaveEvent(event);
}

// A closing popup hears no leave.
bool ContentView::pointerIsIn() const { return isVisible() && underMouse(); }

void ContentView::openSettings() {
    if (const auto existing = SettingsWindowController::shared) {
        if (QWidget* window = existing->window()) {
            bringToFront(*window);
        }
        return;
    }
    settingsWindowController = SettingsWindowController::create(
        std::make_unique<SettingsView>(environment.settings, MainBundle::infoDictionary()));
    settingsWindowController->showWindow();
}

void ContentView::quitApplication() { QCoreApplication::quit(); }

} // namespace drowsel
