// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayItem.h"

#include <gtest/gtest.h>

namespace drowsel {

TEST(TrayItemTest, WhilePausedTheGlyphDiffersAndTheTooltipSaysUntilWhen) {
    TrayItem item(std::make_unique<QWidget>());
    const auto look = [&] {
        return std::tuple{item.icon().toolTip().toStdString(), item.icon().icon().name().toStdString(),
                          item.icon().icon().pixmap(TrayItem::iconSide).toImage()};
    };
    const auto running = look();
    EXPECT_EQ(std::get<0>(running), "Drowsel");
    EXPECT_EQ(std::get<1>(running), "com.drowsel.Drowsel-symbolic");

    item.setPausedUntil(QDateTime(QDate(2026, 3, 2), QTime(14, 30)));
    const auto [tooltip, name, glyph] = look();
    EXPECT_EQ(tooltip, "Paused until " + QLocale().toString(QTime(14, 30), QLocale::ShortFormat).toStdString());
    EXPECT_EQ(name, "com.drowsel.Drowsel-paused-symbolic");
    EXPECT_NE(glyph, std::get<2>(running));

    item.setPausedUntil(std::nullopt);
    EXPECT_EQ(look(), running);
}

} // namespace drowsel
