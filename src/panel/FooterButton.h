// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>

namespace drowsel {

// A text button across the panel's whole width, text at the leading edge.
// While highlighted it fills its row with a rounded rectangle in the
// palette's highlight colour and draws its text in white; otherwise it draws
// only its text, in the palette's text colour. Its whole rectangle, not just
// the text, takes clicks.
class FooterButton : public QAbstractButton {
public:
    static constexpr int horizontalInset = 10;
    static constexpr int verticalInset = 5;
    static constexpr qreal cornerRadius = 5;

    explicit FooterButton(const QString& text, QWidget* parent = nullptr);

    bool isHighlighted() const { return highlighted; }
    void setHighlighted(bool isHighlighted);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawFocusFrame(QPainter& painter) const;

    bool highlighted = false;
};

} // namespace drowsel
