// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/ContentView.h"

#include "toolkit/ElidedText.h"
#include "views/ViewsHarness.h"

#include <QAbstractButton>
#include <QLayout>

namespace drowsel::testing {

class ContentViewTest : public ::testing::Test, public ViewsHarness {
protected:
    ContentView panel{*manager, environment};

    void SetUp() override { showAndWait(panel); }

    // The rows top to bottom, as laid out.
    std::vector<AppRow*> rows() {
        settle();
        const QLayout* stack = panel.findChild<QWidget*>("rows")->layout();
        std::vector<AppRow*> shown;
        for (int index = 0; index < stack->count(); ++index) {
            shown.push_back(qobject_cast<AppRow*>(stack->itemAt(index)->widget()));
        }
        return shown;
    }
    QStringList composedNames() {
        QStringList names;
        for (const AppRow* row : rows()) {
            names << row->findChild<ElidedText*>("name")->text().normalized(QString::NormalizationForm_C);
        }
        return names;
    }
};

TEST_F(ContentViewTest, SortsRowsByCodePointsOfTheComposedNamesAtEveryDrawing) {
    for (const char* name : {"Zebra", "calendar", "Mango", "4 Wheels", "\xC3\x84rger", "Paddle", "Pad", "Zebra"}) {
        launch(name);
    }
    EXPECT_EQ(composedNames(),
              QStringList({"4 Wheels", "Mango", "Pad", "Paddle", "Zebra", "Zebra", "calendar", "Ärger"}));

    // A decomposed name sorts with its composed twin; a missing one as "Unknown".
    launch("A\xCC\x88rger");
    launch(std::nullopt);
    launch("Unknowm");
    EXPECT_EQ(composedNames(), QStringList({"4 Wheels", "Mango", "Pad", "Paddle", "Unknowm", "Unknown", "Zebra",
                                            "Zebra", "calendar", "Ärger", "Ärger"}));
}

TEST_F(ContentViewTest, RowsKeepTheirWidgetsAndPlacesAcrossRedrawsAndGoWithTheirApplication) {
    const auto leaving = launch("Aardvark");
    for (const char* name : {"XTerm", "XTerm", "XTerm", "XTerm"}) {
        launch(name);
    }
    const std::vector<AppRow*> before = rows();
    ASSERT_EQ(before.size(), 5u);
    // Arrivals make the manager's map rehash and iterate in another order.
    for (int index = 0; index < 35; ++index) {
        launch("App " + std::to_string(index));
        const std::vector<AppRow*> after = rows();
        ASSERT_EQ(std::vector(after.end() - 4, after.end()), std::vector(before.begin() + 1, before.end()))
            << "after " << index + 1 << " arrivals";
        ASSERT_EQ(after.front(), before.front());
    }

    core.workspace.exit(leaving);
    manager->checkOpenApps();
    EXPECT_EQ(std::ranges::count(rows(), before.front()), 0);
    EXPECT_EQ(panel.findChildren<AppRow*>().size(), 39) << "the row of the application that left is gone";
}

// After a quit from a row, the next click must not land on another application's button.
TEST_F(ContentViewTest, WhileThePointerIsInTheRowsStayPutAndTheyCloseUpOnceItLeaves) {
    core.defaults.setBoolean(DefaultsKeys::showCloseButton, true);
    const auto quitting = launch("Aardvark");
    launch("Bison");
    launch("Camel");
    const std::vector<AppRow*> shown = rows();
    QWidget* quitButton = shown[0]->findChild<QWidget*>("quit");
    const QPoint pointer = quitButton->mapTo(&panel, quitButton->rect().center());
    QCursor::setPos(panel.mapToGlobal(pointer));
    QTest::mouseMove(quitButton, quitButton->rect().center());
    const QRect firstPlace = shown[0]->geometry();
    const QRect places[]{shown[1]->geometry(), shown[2]->geometry()};
    const int height = panel.height();

    core.workspace.exit(quitting);
    manager->checkOpenApps();
    ASSERT_EQ(rows().size(), 3u) << "a gap in the gone row's place";
    EXPECT_EQ(shown[1]->geometry(), places[0]);
    EXPECT_EQ(shown[2]->geometry(), places[1]);
    EXPECT_EQ(panel.height(), height);
    const QWidget* under = panel.childAt(pointer);
    EXPECT_FALSE(qobject_cast<const QAbstractButton*>(under))
        << "under the pointer: " << under->parent()->metaObject()->className();

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&panel, &leave);
    ASSERT_EQ(rows(), std::vector(shown.begin() + 1, shown.end()));
    EXPECT_EQ(shown[1]->geometry(), firstPlace);
    EXPECT_EQ(panel.height(), height - firstPlace.height());
}

} // namespace drowsel::testing
