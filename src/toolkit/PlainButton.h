// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>

namespace drowsel {

// A button that draws only its glyph (an SVG drawn in the palette's text
// colour), with no bezel. Its whole rectangle takes clicks, and it is dimmed
// while disabled.
class PlainButton : public QAbstractButton {
public:
    // glyphPath names an SVG, e.g. in the program's resources.
    explicit PlainButton(QString glyphPath, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize glyphSize() const;
    QPixmap glyph(const QSize& size) const;

    QString glyphPath;
};

} // namespace drowsel
