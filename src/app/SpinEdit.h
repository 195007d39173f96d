#pragma once

#include <QAbstractSpinBox>

#include <optional>

namespace zelmaro {

// How a TSpinEdit writes its number: plain, or a duration in seconds that
// also takes [-]H:MM:SS and shows values of an hour or more that way.
enum class TSpinFormat { sfNumber, sfDuration };

// An integer box that keeps what the user types: only "+", "-" and digits
// (and ":" for a duration) can be typed (others beep), the value is the number
// shown even outside the range (a non-number reads as the lower bound), values
// set by the program are clamped, and an out-of-range number is replaced by
// the nearest bound when the box loses the focus. Changed() fires once per
// change of the text. A text wider than the box is shown narrowed.
class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    // What assistive technology reads as the box's value and range.
    Q_PROPERTY(int value READ Value WRITE SetValue NOTIFY Changed)
    Q_PROPERTY(int minimum READ MinValue CONSTANT)
    Q_PROPERTY(int maximum READ MaxValue CONSTANT)
    Q_PROPERTY(int singleStep READ SingleStep CONSTANT)

public:
    TSpinEdit(int minValue, int maxValue, int maxLength, QWidget* parent = nullptr,
              TSpinFormat format = TSpinFormat::sfNumber);

    int MinValue() const { return FMinValue; }
    int MaxValue() const { return FMaxValue; }
    static int SingleStep() { return 1; }

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
    void resizeEvent(QResizeEvent* event) override;

private:
    int Clamp(long long value) const;
    bool IsAllowedChar(QChar c) const;
    // The number the text stands for; nullopt for anything else.
    std::optional<long long> Parse(const QString& text) const;
    // Narrows the font of a text too wide for the box ("-24:00:00"), and
    // only then.
    void FitText();

    int FMinValue;
    int FMaxValue;
    TSpinFormat FFormat;
    int FStretch = 100;
};

} // namespace zelmaro
