// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractSpinBox>

#include <cstdint>
#include <functional>

namespace drowsel {

// Up and down arrows over a whole number, with a text made from the number.
// Each step (arrow click, arrow key, wheel) moves the value by one step within
// the range and hands the result to onChange; a value from outside the range
// is shown as it is, and the first step brings it within range.
class Stepper : public QAbstractSpinBox {
public:
    struct Range {
        std::int64_t minimum;
        std::int64_t maximum;
        std::int64_t step;
    };
    using Label = std::function<QString(std::int64_t)>;
    using ChangeHandler = std::function<void(std::int64_t)>;

    Stepper(Range range, Label label, ChangeHandler onChange, QWidget* parent = nullptr);

    std::int64_t value() const { return current; }
    void setValue(std::int64_t value);

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    StepEnabled stepEnabled() const override;

private:
    Range range;
    Label label;
    ChangeHandler onChange;
    std::int64_t current = 0;
};

} // namespace drowsel
