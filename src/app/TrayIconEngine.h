// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIconEngine>

namespace drowsel {

// An icon by two routes: a theme name for trays that look icons up and draw
// them in their own colours (StatusNotifierItem hosts read the name), and our
// own pixmaps for trays that take what the application draws (XEmbed).
class TrayIconEngine : public QIconEngine {
public:
    TrayIconEngine(QString themeName, QIcon pixmaps) : themeName(std::move(themeName)), pixmaps(std::move(pixmaps)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString iconName() override { return themeName; }
    QString key() const override { return QStringLiteral("drowsel.tray"); }
    QIconEngine* clone() const override { return new TrayIconEngine(*this); }

private:
    QString themeName;
    QIcon pixmaps;
};

} // namespace drowsel
