#pragma once

#include <QAbstractSpinBox>

namespace zelmaro {

// An integer box that keeps what the user types: only "+", "-" and digits
// can be typed (others beep), the value is the number shown even outside the
// range (a non-number reads as the lower bound), values set by the program
// are clamped, and an out-of-range number is replaced by the nearest bound
// when the box loses the focus. Changed() fires once per change of the text.
class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT

public:
    TSpinEdit(int minValue, int maxValue, int maxLength, QWidget* parent = nullptr);

    int MinValue() const { return FMinValue; }
    int MaxValue() const { return FMaxValue; }

    int Value() const;
    // Clamps into the range and shows the number; Changed() fires only when
    // the text changes.
    void SetValue(int value);
    QString Text() const;
    QLineEdit* Edit() const { return lineEdit(); }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    void Changed();

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int Clamp(long long value) const;

    int FMinValue;
    int FMaxValue;
};

} // namespace zelmaro
