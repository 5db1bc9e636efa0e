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
    const auto settingsText = [] { return QCoreApplication::translate("drowsel::ContentView", "Settings"); };

    EXPECT_TRUE(DrowselApp::translateTo(QLocale(QLocale::German, QLocale::Germany)));
    EXPECT_EQ(settingsText(), "Einstellungen");
    EXPECT_EQ(QCoreApplication::translate("drowsel::AppRow", "Quit %1 automatically"), "%1 automatisch beenden");
    EXPECT_TRUE(DrowselApp::translateTo(QLocale(QLocale::French, QLocale::Canada)));
    EXPECT_EQ(settingsText(), "Réglages");
    EXPECT_FALSE(DrowselApp::translateTo(QLocale(QLocale::Japanese)));
    EXPECT_EQ(settingsText(), "Settings");
}

TEST(TrayItemTest, IconIsTheShapeAloneInOneColour) {
    const QColor colour(12, 34, 56);
    const QImage image = TrayItem::templateIcon(colour).pixmap(QSize(18, 18), 1.0).toImage();

    ASSERT_EQ(image.size(), QSize(18, 18));
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            // Edge pixels are blended; premultiplied storage rounds their colour.
            const int tolerance = pixel.alpha() == 255 ? 0 : 1024 / std::max(pixel.alpha(), 1);
            if (pixel.alpha() < 32) {
                continue;
            }
            opaque += pixel.alpha() == 255 ? 1 : 0;
            EXPECT_LE(std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                          std::abs(pixel.blue() - colour.blue()),
                      tolerance)
                << x << "," << y;
        }
    }
    EXPECT_GT(opaque, 18 * 18 / 10);
    EXPECT_LT(opaque, 18 * 18 * 4 / 5) << "a shape, not a filled square";
}

TEST(TrayPanelTest, PlacedNextToTheIconInsideTheAvailableArea) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize panel(310, 200);
    const QPoint pointer(700, 500);

    // Tray at the top: below the icon, centred on it.
    EXPECT_EQ(TrayPanel::placement(panel, QRect(1000, 0, 22, 22), QRect(0, 30, 1920, 1050), pointer),
              QPoint(1010 - 155, 30));
    EXPECT_EQ(TrayPanel::placement(panel, QRect(1000, 30, 22, 22), screen, pointer), QPoint(855, 56));
    // Tray at the bottom right: above the icon, kept on screen.
    EXPECT_EQ(TrayPanel::placement(panel, QRect(1890, 1050, 22, 22), QRect(0, 0, 1920, 1046), pointer),
              QPoint(1920 - 310, 1050 - 4 - 200));
    // No icon geometry: at the pointer.
    EXPECT_EQ(TrayPanel::placement(panel, QRect(), screen, pointer), QPoint(700 - 155, 505));
    // A panel taller than the screen starts at its top.
    EXPECT_EQ(TrayPanel::placement(QSize(310, 2000), QRect(1000, 1050, 22, 22), screen, pointer).y(), 0);
}

TEST(TrayPanelTest, ClickOnTheIconTogglesAndTheClickThatClosedItDoesNotReopen) {
    TrayPanel panel(std::make_unique<QWidget>());
    panel.content()->setFixedSize(310, 100);
    const QRect icon(100, 0, 22, 22);

    panel.toggleNear(icon);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.size(), QSize(310, 100));
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
    const QRect icon(100, 700, 22, 22);
    panel.openNear(icon);
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
