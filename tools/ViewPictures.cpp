// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the panel's rows, the whole panel and the settings window offscreen,
// with applications of every look, as PNGs for a person to look at.
// Usage: drowsel_view_pictures FOLDER
#include "core/DefaultsKeys.h"
#include "fakes/CoreFakes.h"
#include "panel/ContentView.h"
#include "settings/SettingsWindowController.h"
#include "toolkit/HostingWindow.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QVBoxLayout>

#include <cstdio>

namespace {

using namespace drowsel;

// Applications of every look on a manager over fakes: plenty of time left,
// urgent, switched off, nameless, a name too long for the row.
class ViewPictures {
public:
    explicit ViewPictures(QString folder) : folder(std::move(folder)) {
        core.defaults.setInteger(DefaultsKeys::hoursUntilClose, 8);
        launch("Terminal", "/usr/share/applications/terminal.desktop");
        core.clock.advance(8 * 3600 - 1500);
        launch("Firefox", "/usr/share/applications/firefox.desktop");
        launch("GIMP", "/usr/share/applications/gimp.desktop");
        manager->setToggle("GIMP", false);
        launch(std::nullopt, {});
        launch("LibreOffice Writer with a very long document title that does not fit", {});
    }

    bool saveAll() {
        bool saved = saveRows("rows");
        core.defaults.setBoolean(DefaultsKeys::showCloseButton, true);
        saved = saveRows("rows-with-quit-button") && saved;
        ContentView panel(*manager, environment);
        saved = save(panel, "panel") && saved;
        const auto controller = SettingsWindowController::create(std::make_unique<SettingsView>(
            settings, QVariantMap{{"CFBundleShortVersionString", "0.1.0"}, {"CFBundleVersion", "1"}}));
        saved = save(*controller->window(), "settings") && saved;
        SettingsWindowController::shared.reset();
        return saved;
    }

private:
    // A plain coloured tile for each application, as a desktop has icons.
    class TileIcons : public IconProvider {
    public:
        QIcon iconForFile(const QString& path) const override {
            QPixmap tile(64, 64);
            tile.fill(Qt::transparent);
            QPainter painter(&tile);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(QColor::fromHsv(static_cast<int>(qHash(path) % 360), 140, 200));
            painter.setPen(Qt::NoPen);
            painter.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
            return QIcon(tile);
        }
    };

    void launch(std::optional<std::string> name, std::optional<std::string> location) {
        core.workspace.launch({.name = std::move(name), .bundleLocation = std::move(location)});
        manager->trackNewApps();
        core.mainQueue.runAll();
    }

    // Rows as the panel stacks them, in a list wider than the panel.
    bool saveRows(const QString& name) {
        QWidget list;
        auto* layout = new QVBoxLayout(&list);
        layout->setContentsMargins(12, 8, 12, 8);
        std::vector<AppRow::TrackedApp> apps(manager->runningApps().begin(), manager->runningApps().end());
        std::ranges::sort(apps, {}, [](const AppRow::TrackedApp& app) { return AppRow::shownName(app.first); });
        for (const auto& app : apps) {
            layout->addWidget(new AppRow(app, *manager, environment));
        }
        list.resize(360, list.sizeHint().height());
        return save(list, name);
    }

    bool save(QWidget& widget, const QString& name) {
        widget.show();
        QCoreApplication::sendPostedEvents();
        const QString path = QDir(folder).filePath(name + ".png");
        const bool saved = widget.grab().save(path);
        std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
        return saved;
    }

    QString folder;
    fakes::CoreFakes core;
    std::shared_ptr<RunningAppsManager> manager = RunningAppsManager::create(core.services());
    StoredSettings settings{core.defaults};
    TileIcons icons;
    ViewEnvironment environment{settings, core.clock, icons};
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    return ViewPictures(folder).saveAll() ? 0 : 1;
}
