// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/ContentView.h"

#include "toolkit/ElidedText.h"
#include "views/ViewsHarness.h"

#include <QVBoxLayout>

namespace drowsel::testing {

class ContentViewTest : public ::testing::Test, public ViewsHarness {
protected:
    QWidget holder; // goes after the panel it may hold
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

// After a quit from a row, the next click must not land on another
// application's button. The panel is held as the tray's popup holds it, and
// the pointer leaves it over the holder's edge.
TEST_F(ContentViewTest, WhileThePointerIsInTheRowsStayPutAndTheyCloseUpOnceItLeaves) {
    auto* holding = new QVBoxLayout(&holder);
    holding->setSizeConstraint(QLayout::SetFixedSize);
    holding->addWidget(&panel);
    core.defaults.setBoolean(DefaultsKeys::showCloseButton, true);
    const auto quitting = launch("Aardvark");
    launch("Bison");
    launch("Camel");
    showAndWait(holder);
    const std::vector<AppRow*> shown = rows();
    const auto places = [&] { return std::vector{shown[1]->geometry(), shown[2]->geometry(), panel.rect()}; };
    const std::vector<QRect> before = places();
    const QPoint pointer = shown[0]->findChild<QWidget*>("quit")->mapTo(&panel, QPoint(4, 4));
    QTest::mouseMove(&panel, pointer);

    core.workspace.exit(quitting);
    manager->checkOpenApps();
    settle();
    EXPECT_EQ(places(), before) << "a gap in the gone row's place";
    EXPECT_NE(panel.childAt(pointer)->objectName(), "quit");

    QTest::mouseMove(&holder, {1, 1});
    settle();
    EXPECT_EQ(places()[2].height(), before[2].height() - before[0].height()) << "closed up by a row";
}

} // namespace drowsel::testing
