// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/Stepper.h"

#include <QLineEdit>
#include <QStyleOptionSpinBox>

#include <algorithm>

namespace drowsel {

Stepper::Stepper(Range range, Label label, ChangeHandler onChange, QWidget* parent)
    : QAbstractSpinBox(parent), range(range), label(std::move(label)), onChange(std::move(onChange)) {
    // The number is chosen with the arrows only; typing could store nonsense.
    lineEdit()->setReadOnly(true);
    setValue(range.minimum);
}

void Stepper::setValue(std::int64_t value) {
    current = value;
    lineEdit()->setText(label(value));
    updateGeometry();
    update();
}

void Stepper::stepBy(int steps) {
    // Saturating, so that a stored value far outside the range cannot overflow.
    const auto unclamped = static_cast<long double>(current) + static_cast<long double>(steps) * range.step;
    const auto next = static_cast<std::int64_t>(std::clamp<long double>(unclamped, range.minimum, range.maximum));
    if (next == current) {
        return;
    }
    setValue(next);
    onChange(next);
}

QAbstractSpinBox::StepEnabled Stepper::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (current < range.maximum) {
        enabled |= StepUpEnabled;
    }
    if (current > range.minimum) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

QSize Stepper::sizeHint() const {
    // Wide enough for the widest label of the range and for the value shown now.
    const int textWidth = std::max({fontMetrics().horizontalAdvance(label(range.maximum)),
                                    fontMetrics().horizontalAdvance(label(range.minimum)),
                                    fontMetrics().horizontalAdvance(lineEdit()->text())});
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize contents(textWidth + 8, lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, contents, this);
}

} // namespace drowsel
