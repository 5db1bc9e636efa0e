// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the application picture to a PNG of the given size, for icon themes
// that want bitmaps beside the scalable icon. Usage: RenderIcon in.svg out.png side
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s picture.svg icon.png side\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    const int side = QByteArray(argv[3]).toInt();
    if (!renderer.isValid() || side <= 0) {
        std::fprintf(stderr, "cannot render %s at %s pixels\n", argv[1], argv[3]);
        return 1;
    }
    QImage icon(side, side, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    renderer.render(&painter, QRectF(0, 0, side, side));
    painter.end();
    return icon.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
