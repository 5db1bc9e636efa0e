// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace drowsel {

// One line of text, left-aligned, cut at the tail with an ellipsis when it is
// wider than the room it gets. It takes free width and is never narrower than
// its minimum width. Drawn in the palette's window text colour.
class ElidedText : public QWidget {
public:
    ElidedText(int minimumWidth, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return fullText; }
    // The text as currently drawn, ellipsis included.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int minimumWidth;
    QString fullText;
};

} // namespace drowsel
