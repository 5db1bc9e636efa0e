// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DrowselApp.h"
#include "app/TrayItem.h"
#include "app/TrayPanel.h"
#include "fakes/CoreFakes.h"

#include <gtest/gtest.h>

#include <QTest>

// Readable failure messages.
inline void PrintTo(const QPoint& point, std::ostream* out) { *out << point.x() << ',' << point.y(); }

namespace drowsel {

TEST(DrowselAppTest, EvaluatingTheSceneTwiceSharesOneManagerThatMonitorsFromTheStart) {
    // Never freed, as the program's services outlive the shared manager.
    static auto* const core = new fakes::CoreFakes;
    static auto* const settings = new StoredSettings(core->defaults);
    static const struct : IconProvider {
        QIcon iconForFile(const QString&) const override { return {}; }
    } icons;
    DrowselApp::use({core->services(), {*settings, core->clock, icons}});
    core->workspace.launch({.name = "Editor"});

    const auto first = DrowselApp().body();
    const auto second = DrowselApp().body();
    core->mainQueue.runAll();

    EXPECT_EQ(core->timers.liveTimers(), 1u);
    EXPECT_EQ(core->workspace.observerCount(), 1u);
    EXPECT_EQ(DrowselApp::sharedManager().runningApps().size(), 1u) << "tracking runs without the panel";
}

TEST(DrowselAppTest, TextsFollowTheLocaleWhereATranslationExists) {
    const std::tuple<QLocale, bool, QString> cases[]{
        {QLocale(QLocale::German, QLocale::Germany), true, "Einstellungen"},
        {QLocale(QLocale::French, QLocale::Canada), true, "Réglages"},
        {QLocale(QLocale::Japanese), false, "Settings"}};
    for (const auto& [locale, translated, settings] : cases) {
        EXPECT_EQ(DrowselApp::translateTo(locale), translated);
        EXPECT_EQ(QCoreApplication::translate("drowsel::ContentView", "Settings").toStdString(),
                  settings.toStdString());
    }
}

TEST(TrayPanelTest, PlacedNextToTheIconInsideTheAvailableArea) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize panel(310, 200);
    const QPoint pointer(700, 500);
    const std::tuple<QSize, QRect, QRect, QPoint> cases[]{
        // Tray at the top: below the icon, centred on it.
        {panel, QRect(1000, 0, 22, 22), QRect(0, 30, 1920, 1050), QPoint(1010 - 155, 30)},
        // Tray at the bottom right: above the icon, kept on screen.
        {panel, QRect(1890, 1050, 22, 22), QRect(0, 0, 1920, 1046), QPoint(1920 - 310, 1050 - 4 - 200)},
        // No icon geometry: at the pointer.
        {panel, QRect(), screen, QPoint(700 - 155, 505)},
        // A panel taller than the screen starts at its top.
        {QSize(310, 2000), QRect(1000, 1050, 22, 22), screen, QPoint(1010 - 155, 0)}};
    for (const auto& [size, icon, available, placed] : cases) {
        EXPECT_EQ(TrayPanel::placement(size, icon, available, pointer), placed);
    }
}

// A click outside closes the popup before the icon hears it: the click on the
// icon that closed it does not open it again, and is spent.
TEST(TrayPanelTest, ClickOnTheIconTogglesAndTheClickThatClosedItDoesNotReopen) {
    TrayPanel panel(std::make_unique<QWidget>());
    panel.content()->setFixedSize(310, 100);
    const QRect icon(100, 0, 22, 22);
    for (const auto& [pointer, visibleAfterTwoClicks] : {std::pair{icon.center(), true}, {QPoint(600, 400), false}}) {
        panel.openNear(icon);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        QCursor::setPos(pointer);
        panel.hide();
        panel.toggleNear(icon);
        EXPECT_EQ(panel.isVisible(), !visibleAfterTwoClicks) << "after the closing click";
        panel.toggleNear(icon);
        EXPECT_EQ(panel.isVisible(), visibleAfterTwoClicks) << "after the next click";
    }
}

} // namespace drowsel
