// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ApplicationHandle.h"
#include "core/RunningAppsManager.h"
#include "panel/AppRow.h"
#include "toolkit/View.h"
#include "toolkit/ViewEnvironment.h"

#include <QList>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QVBoxLayout;

namespace drowsel {

class FooterButton;
class SettingsWindowController;

// The panel that opens from the tray icon: one AppRow per tracked application
// in name order, then "Settings" and "Quit Drowsel". Fixed in width, it grows
// with its rows and never scrolls. While the pointer is in it, a row that goes
// leaves a gap of its height, so that the next click cannot land on another
// application's row; the rows close up once the pointer leaves or the panel closes.
class ContentView : public View {
    Q_OBJECT

public:
    enum class HoveredButton { quit, settings };

    static constexpr int stackWidth = 300;
    static constexpr int stackInset = 5;
    static constexpr int rowInset = 10;

    ContentView(RunningAppsManager& manager, const ViewEnvironment& environment, QWidget* parent = nullptr);

    // Shows the one settings window, creating it on first use.
    void openSettings();
    // Ends the application the normal way: the event loop returns 0.
    void quitApplication();

protected:
    void redraw() override;
    void hideEvent(QHideEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct SortedApp {
        QList<uint> nameKey;
        int shownAt;
        AppRow::TrackedApp app;
    };

    static QList<uint> nameKey(const ApplicationHandle& application);
    std::vector<AppRow::TrackedApp> sortedApps() const;
    int rowIndexOf(const ApplicationHandle& application) const;
    void drawRows(const std::vector<AppRow::TrackedApp>& apps);
    bool pointerIsIn() const;
    bool removeRowsOfAppsGone();
    void leaveGapFor(AppRow* row);
    std::vector<QWidget*> withGapsInPlace(std::vector<QWidget*> rowsInOrder) const;
    void closeGaps();
    void fitToRows();
    void drawFooter();
    void buildLayout();
    FooterButton* footerButton(const QString& text, HoveredButton hoverCase, void (ContentView::*action)());

    RunningAppsManager& manager;
    ViewEnvironment environment;
    std::optional<HoveredButton> hoveredButton;
    // The controller this panel created; the shared one is what decides.
    std::shared_ptr<SettingsWindowController> settingsWindowController;

    QWidget* rowArea;
    QVBoxLayout* rowStack;
    std::unordered_map<ApplicationHandle, AppRow*> rows;
    std::vector<QWidget*> gaps;
    FooterButton* settingsButton;
    FooterButton* quitButton;
};

} // namespace drowsel
