#include "panel/ContentView.h"

#include "core/DefaultsKeys.h"
#include "panel/FooterButton.h"
#include "settings/SettingsWindowController.h"
#include "toolkit/ElidedText.h"
#include "views/ViewsHarness.h"

#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QScrollArea>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

namespace drowsel::testing {
namespace {

class ContentViewTest : public ::testing::Test, public ViewsHarness {
protected:
    ContentView panel{*manager, environment};
    FooterButton* settingsButton = panel.findChild<FooterButton*>("settings");
    FooterButton* quitButton = panel.findChild<FooterButton*>("quit");

    void SetUp() override { showAndWait(panel); }
    void TearDown() override { SettingsWindowController::shared.reset(); }

    // The rows top to bottom, as laid out.
    std::vector<AppRow*> rows() const {
        const QLayout* stack = panel.findChild<QWidget*>("rows")->layout();
        std::vector<AppRow*> shown;
        for (int index = 0; index < stack->count(); ++index) {
            shown.push_back(qobject_cast<AppRow*>(stack->itemAt(index)->widget()));
        }
        return shown;
    }
    QStringList composedNames() const {
        QStringList names;
        for (const AppRow* row : rows()) {
            names << row->findChild<ElidedText*>("name")->text().normalized(QString::NormalizationForm_C);
        }
        return names;
    }
    static QPoint besideTheText(const FooterButton* button) { return {button->width() - 2, button->height() / 2}; }

    // Fonts differ in how fully their thinnest stems cover a pixel.
    static bool isClose(const QColor& pixel, const QColor& colour) {
        constexpr int tolerance = 40;
        return std::abs(pixel.red() - colour.red()) <= tolerance &&
               std::abs(pixel.green() - colour.green()) <= tolerance &&
               std::abs(pixel.blue() - colour.blue()) <= tolerance;
    }

    // Samples the panel's pixels: the button's background beside its text, and
    // a pixel of (about) the given colour somewhere in its text.
    void expectLooks(const FooterButton* button, bool isHovered) {
        settle();
        const QPalette colours = panel.palette();
        const QImage image = panel.grab().toImage();
        const QRect area(button->mapTo(&panel, QPoint()), button->size());
        const QColor textColour = isHovered ? QColor(Qt::white) : colours.color(QPalette::WindowText);
        bool textHasColour = false;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x < area.left() + 60; ++x) {
                textHasColour = textHasColour || isClose(image.pixelColor(x, y), textColour);
            }
        }
        const std::string name = button->text().toStdString();
        EXPECT_EQ(image.pixelColor(area.right() - 3, area.center().y()),
                  colours.color(QPalette::Active, isHovered ? QPalette::Highlight : QPalette::Window))
            << name;
        EXPECT_TRUE(textHasColour) << name;
    }
};

TEST_F(ContentViewTest, SortsRowsByCodePointsOfTheComposedNamesAtEveryDrawing) {
    for (const char* name : {"Zebra", "calendar", "Mango", "4 Wheels", "\xC3\x84rger", "Paddle", "Pad", "Zebra"}) {
        launch(name);
    }
    settle();
    const QString umlaut = QString::fromUtf8("\xC3\x84rger");
    EXPECT_EQ(composedNames(),
              QStringList({"4 Wheels", "Mango", "Pad", "Paddle", "Zebra", "Zebra", "calendar", umlaut}));

    // A decomposed name sorts with its composed twin; a missing one as "Unknown".
    launch("A\xCC\x88rger");
    launch(std::nullopt);
    launch("Unknowm");
    settle();
    EXPECT_EQ(composedNames(), QStringList({"4 Wheels", "Mango", "Pad", "Paddle", "Unknowm", "Unknown", "Zebra",
                                            "Zebra", "calendar", umlaut, umlaut}));
}

TEST_F(ContentViewTest, RowsGrowThePanelAndKeepTheirWidgetsAndPlacesAcrossRedraws) {
    const int emptyHeight = panel.height();
    const auto leaving = launch("Aardvark");
    for (int index = 0; index < 4; ++index) {
        launch("XTerm");
    }
    settle();
    const std::vector<AppRow*> before = rows();
    ASSERT_EQ(before.size(), 5u);

    // Arrivals make the manager's map rehash and iterate in another order.
    for (int index = 0; index < 35; ++index) {
        launch("App " + std::to_string(index));
        settle();
        const std::vector<AppRow*> after = rows();
        ASSERT_EQ(after.front(), before.front());
        ASSERT_EQ(std::vector(after.end() - 4, after.end()), std::vector(before.begin() + 1, before.end()))
            << "after " << index + 1 << " arrivals";
    }
    settle(); // rows added to a shown panel show on the next turn
    EXPECT_EQ(panel.size(), QSize(310, emptyHeight + 40 * before.front()->height()));
    EXPECT_TRUE(panel.findChildren<QScrollArea*>().isEmpty());
    for (const AppRow* row : rows()) {
        EXPECT_TRUE(row->isVisible());
        EXPECT_EQ(row->geometry(), QRect(10, row->y(), 280, row->height()));
    }

    core.workspace.exit(leaving);
    manager->checkOpenApps();
    settle();
    EXPECT_EQ(std::ranges::count(rows(), before.front()), 0);
    EXPECT_EQ(panel.findChildren<AppRow*>().size(), 39) << "the row of the application that left is gone";
}

TEST_F(ContentViewTest, EmptyPanelShowsTheInsetTheDividerAndTheTwoButtons) {
    const QWidget* divider = panel.findChild<QWidget*>("divider");
    EXPECT_EQ(panel.width(), 310);
    EXPECT_EQ(ContentView(*manager, environment).size(), panel.size()) << "sized before it is shown";
    EXPECT_EQ(panel.findChild<QWidget*>("rows")->geometry(), QRect(5, 5, 300, 5));
    EXPECT_EQ(divider->geometry(), QRect(15, 15, 280, divider->height()));
    EXPECT_EQ(settingsButton->geometry(), QRect(5, divider->geometry().bottom() + 6, 300, settingsButton->height()));
    EXPECT_EQ(quitButton->geometry(), settingsButton->geometry().translated(0, settingsButton->height()));
    EXPECT_EQ(panel.height(), quitButton->geometry().bottom() + 6);
    EXPECT_EQ(settingsButton->height(), settingsButton->fontMetrics().height() + 10);
    EXPECT_EQ(settingsButton->accessibleName(), "Settings");
    EXPECT_EQ(quitButton->accessibleName(), "Quit Drowsel");
}

TEST_F(ContentViewTest, TheButtonUnderThePointerTurnsBlueWithWhiteText) {
    launchAppsOfEveryLook();
    expectLooks(settingsButton, false);
    expectLooks(quitButton, false);

    // Starts from the panel: a move to where the pointer already is counts for nothing.
    QTest::mouseMove(&panel, QPoint(100, 2));
    QTest::mouseMove(settingsButton, besideTheText(settingsButton));
    expectLooks(settingsButton, true);
    expectLooks(quitButton, false);
    ASSERT_TRUE(QDir().mkpath(DROWSEL_SCREENSHOT_DIR));
    EXPECT_TRUE(panel.grab().save(DROWSEL_SCREENSHOT_DIR "/panel.png"));

    QTest::mouseMove(quitButton, besideTheText(quitButton));
    expectLooks(settingsButton, false);
    expectLooks(quitButton, true);

    QTest::mouseMove(&panel, QPoint(100, 2));
    expectLooks(settingsButton, false);
    expectLooks(quitButton, false);

    // A closing popup hears no leave; the panel must not open highlighted.
    QTest::mouseMove(settingsButton, besideTheText(settingsButton));
    settle();
    panel.hide();
    EXPECT_FALSE(settingsButton->isHighlighted());
}

TEST_F(ContentViewTest, SettingsOpensOneWindowAndBringsItBackAfterClosing) {
    QTest::mouseClick(settingsButton, Qt::LeftButton, {}, besideTheText(settingsButton));
    const auto controller = SettingsWindowController::shared;
    ASSERT_NE(controller, nullptr);
    QWidget* window = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    QTest::mouseClick(settingsButton, Qt::LeftButton, {}, besideTheText(settingsButton));
    window->close();
    window->showMinimized();
    // A panel built anew finds the window through the shared controller.
    ContentView secondPanel(*manager, environment);
    secondPanel.openSettings();
    EXPECT_EQ(SettingsWindowController::shared, controller);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    const auto windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::ranges::count_if(windows, [](const QWidget* each) { return each->windowTitle() == "Settings"; }), 1);
}

TEST_F(ContentViewTest, QuitDrowselEndsTheApplicationLoopWithStatusZero) {
    int aboutToQuit = 0;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &panel, [&aboutToQuit] { ++aboutToQuit; });
    QTimer::singleShot(0, &panel,
                       [this] { QTest::mouseClick(quitButton, Qt::LeftButton, {}, besideTheText(quitButton)); });
    // Ends a loop that the click failed to end, instead of hanging.
    QTimer guard;
    guard.callOnTimeout([] { QCoreApplication::exit(1); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(aboutToQuit, 1);
}

} // namespace
} // namespace drowsel::testing
