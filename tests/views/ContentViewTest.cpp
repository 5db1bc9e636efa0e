// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/ContentView.h"

#include "panel/AppRow.h"
#include "panel/FooterButton.h"
#include "settings/SettingsWindowController.h"
#include "toolkit/ElidedText.h"
#include "views/ViewsHarness.h"

#include <QApplication>
#include <QLayout>
#include <QTimer>

namespace drowsel::testing {
namespace {

class ContentViewTest : public ::testing::Test, public ViewsHarness {
protected:
    ContentView panel{*manager, environment};
    FooterButton* settingsButton = panel.findChild<FooterButton*>("settings");

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
    QStringList composedNames() {
        settle();
        QStringList names;
        for (const AppRow* row : rows()) {
            names << row->findChild<ElidedText*>("name")->text().normalized(QString::NormalizationForm_C);
        }
        return names;
    }
    static void click(FooterButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() - 2, button->height() / 2));
    }
};

TEST_F(ContentViewTest, SortsRowsByCodePointsOfTheComposedNamesAtEveryDrawing) {
    for (const char* name : {"Zebra", "calendar", "Mango", "4 Wheels", "\xC3\x84rger", "Paddle", "Pad", "Zebra"}) {
        launch(name);
    }
    const QString umlaut = QString::fromUtf8("\xC3\x84rger");
    EXPECT_EQ(composedNames(),
              QStringList({"4 Wheels", "Mango", "Pad", "Paddle", "Zebra", "Zebra", "calendar", umlaut}));

    // A decomposed name sorts with its composed twin; a missing one as "Unknown".
    launch("A\xCC\x88rger");
    launch(std::nullopt);
    launch("Unknowm");
    EXPECT_EQ(composedNames(), QStringList({"4 Wheels", "Mango", "Pad", "Paddle", "Unknowm", "Unknown", "Zebra",
                                            "Zebra", "calendar", umlaut, umlaut}));
}

TEST_F(ContentViewTest, RowsKeepTheirWidgetsAndPlacesAcrossRedrawsAndGoWithTheirApplication) {
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

    core.workspace.exit(leaving);
    manager->checkOpenApps();
    settle();
    EXPECT_EQ(std::ranges::count(rows(), before.front()), 0);
    EXPECT_EQ(panel.findChildren<AppRow*>().size(), 39) << "the row of the application that left is gone";
}

TEST_F(ContentViewTest, SettingsOpensOneWindowAndBringsItBackAfterClosing) {
    click(settingsButton);
    const auto controller = SettingsWindowController::shared;
    ASSERT_NE(controller, nullptr);
    QWidget* window = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    click(settingsButton);
    window->close();
    window->showMinimized();
    // A panel built anew finds the window through the shared controller.
    ContentView(*manager, environment).openSettings();
    EXPECT_EQ(SettingsWindowController::shared, controller);
    EXPECT_TRUE(window->isVisible() && !window->isMinimized());
    const auto windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::ranges::count(windows, window->windowTitle(), &QWidget::windowTitle), 1);
}

TEST_F(ContentViewTest, QuitDrowselEndsTheApplicationLoopWithStatusZero) {
    QTimer::singleShot(0, &panel, [this] { click(panel.findChild<FooterButton*>("quit")); });
    // Ends a loop that the click failed to end, instead of hanging.
    QTimer::singleShot(10000, &panel, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(ContentViewTest, APanelClosedUnderThePointerOpensWithNoButtonHighlighted) {
    // From the panel first: a move to where the pointer already is counts for nothing.
    QTest::mouseMove(&panel, QPoint(100, 2));
    QTest::mouseMove(settingsButton, QPoint(settingsButton->width() - 2, settingsButton->height() / 2));
    settle();
    ASSERT_TRUE(settingsButton->isHighlighted());
    panel.hide(); // a closing popup hears no leave
    EXPECT_FALSE(settingsButton->isHighlighted());
}

} // namespace
} // namespace drowsel::testing
