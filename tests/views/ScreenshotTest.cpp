#include "core/DefaultsKeys.h"
#include "panel/AppRow.h"
#include "settings/SettingsWindowController.h"
#include "views/ViewsHarness.h"

#include <QDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace drowsel::testing {
namespace {

// Pictures for a person to look at; the test checks only that they were made.
class ScreenshotTest : public ::testing::Test, public ViewsHarness {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(DROWSEL_SCREENSHOT_DIR)); }

    static void save(QWidget& widget, const QString& name) {
        EXPECT_TRUE(widget.grab().save(QStringLiteral(DROWSEL_SCREENSHOT_DIR "/") + name + ".png"))
            << name.toStdString();
    }

    // Rows as the panel stacks them, in a 360 wide list with the panel's insets.
    void saveRows(const QString& name) {
        QWidget list;
        auto* layout = new QVBoxLayout(&list);
        layout->setContentsMargins(12, 8, 12, 8);
        std::vector<AppRow::TrackedApp> apps(manager->runningApps().begin(), manager->runningApps().end());
        std::ranges::sort(apps, {}, [](const AppRow::TrackedApp& app) { return app.first.name(); });
        for (const auto& app : apps) {
            layout->addWidget(new AppRow(app, *manager, environment));
        }
        list.resize(360, list.sizeHint().height());
        showAndWait(list);
        save(list, name);
    }
};

TEST_F(ScreenshotTest, RowsAndSettingsWindow) {
    launchAppsOfEveryLook();
    launch("LibreOffice Writer with a very long document title that does not fit");
    saveRows("rows");
    core.defaults.setBoolean(DefaultsKeys::showCloseButton, true);
    saveRows("rows-with-quit-button");

    const auto controller = SettingsWindowController::create(std::make_unique<SettingsView>(
        settings, QVariantMap{{"CFBundleShortVersionString", "0.1.0"}, {"CFBundleVersion", "1"}}));
    controller->showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
    save(*controller->window(), "settings");
    SettingsWindowController::shared.reset();
}

} // namespace
} // namespace drowsel::testing
