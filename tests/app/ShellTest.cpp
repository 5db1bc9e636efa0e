// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DrowselApp.h"
#include "app/TrayItem.h"
#include "app/TrayPanel.h"
#include "fakes/CoreFakes.h"
#include "toolkit/StoredSettings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

namespace drowsel {

namespace {

class GenericIcons : public IconProvider {
public:
    QIcon iconForFile(const QString&) const override { return QIcon(); }
};

// The services every test of this process shares, as the program's do.
struct SharedFakes {
    fakes::CoreFakes core;
    StoredSettings settings{core.defaults};
    GenericIcons icons;
};

SharedFakes& fakesInUse() {
    static SharedFakes* const shared = [] {
        auto* created = new SharedFakes;
        DrowselApp::use({created->core.services(), {created->settings, created->core.clock, created->icons}});
        return created;
    }();
    return *shared;
}

} // namespace

TEST(DrowselAppTest, EvaluatingTheSceneTwiceSharesOneManagerThatMonitorsFromTheStart) {
    auto& fakes = fakesInUse();
    fakes.core.workspace.launch({.name = "Editor"});

    const auto first = DrowselApp().body();
    const auto second = DrowselApp().body();
    fakes.core.mainQueue.runAll();

    EXPECT_EQ(&DrowselApp::sharedManager(), &DrowselApp::sharedManager());
    EXPECT_EQ(fakes.core.timers.liveTimers(), 1u);
    EXPECT_EQ(fakes.core.workspace.observerCount(), 1u);
    EXPECT_EQ(DrowselApp::sharedManager().runningApps().size(), 1u) << "tracking runs without the panel";
    EXPECT_FALSE(first->panel().isVisible());
}

TEST(DrowselAppTest, TextsFollowTheLocaleWhereATranslationExists) {
    const std::tuple<QLocale, bool, QString> cases[]{
        {QLocale(QLocale::German, QLocale::Germany), true, "Einstellungen"},
        {QLocale(QLocale::French, QLocale::Canada), true, "Réglages"},
        {QLocale(QLocale::Japanese), false, "Settings"}};
    for (const auto& [locale, translated, settings] : cases) {
        EXPECT_EQ(DrowselApp::translateTo(locale), translated);
        EXPECT_EQ(QCoreApplication::translate("drowsel::ContentView", "Settings"), settings);
    }
}

TEST(TrayPanelTest, PlacedNextToTheIconInsideTheAvailableArea) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize panel(310, 200);
    const QPoint pointer(700, 500);
    const std::tuple<QSize, QRect, QRect, QPoint> cases[]{
        // Tray at the top: below the icon, centred on it.
        {panel, QRect(1000, 0, 22, 22), QRect(0, 30, 1920, 1050), QPoint(1010 - 155, 30)},
        {panel, QRect(1000, 30, 22, 22), screen, QPoint(855, 56)},
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

TEST(TrayPanelTest, ClickOnTheIconTogglesAndTheClickThatClosedItDoesNotReopen) {
    TrayPanel panel(std::make_unique<QWidget>());
    panel.content()->setFixedSize(310, 100);
    const QRect icon(100, 0, 22, 22);

    panel.toggleNear(icon);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QCursor::setPos(icon.center());
    panel.hide(); // the press on the icon closes the popup first
    panel.toggleNear(icon);
    EXPECT_FALSE(panel.isVisible()) << "the click on the icon that closed the popup";

    panel.toggleNear(icon);
    EXPECT_TRUE(panel.isVisible());
    QCursor::setPos(600, 400);
    panel.hide(); // a click elsewhere
    panel.toggleNear(icon);
    EXPECT_TRUE(panel.isVisible());
}

TEST(TrayPanelTest, FollowsItsContentAndClosesWhenAnotherWindowOfOursTakesTheFocus) {
    TrayPanel panel(std::make_unique<QWidget>());
    panel.content()->setFixedSize(310, 100);
    panel.openNear(QRect(100, 700, 22, 22));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    const int bottom = panel.geometry().bottom();

    panel.content()->setFixedSize(310, 160);
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel.height() == 160; }));
    EXPECT_EQ(panel.geometry().bottom(), bottom) << "still right above the icon";

    QWidget settings;
    settings.show();
    settings.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.isVisible(); }));
}

} // namespace drowsel
