#include "app/SpinEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <optional>

namespace zelmaro {
namespace {

bool IsAllowedChar(QChar c)
{
    return c == u'+' || c == u'-' || (c >= u'0' && c <= u'9');
}

// A whole number with an optional sign; nullopt for anything else (also "",
// "-" and numbers beyond 32 bits).
std::optional<long long> ParseWhole(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return std::nullopt;
    return value;
}

} // namespace

TSpinEdit::TSpinEdit(int minValue, int maxValue, int maxLength, QWidget* parent)
    : QAbstractSpinBox(parent), FMinValue(minValue), FMaxValue(maxValue)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    lineEdit()->setMaxLength(maxLength);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit Changed(); });
}

int TSpinEdit::Clamp(long long value) const
{
    return static_cast<int>(std::clamp<long long>(value, FMinValue, FMaxValue));
}

int TSpinEdit::Value() const
{
    return static_cast<int>(ParseWhole(Text()).value_or(FMinValue));
}

void TSpinEdit::SetValue(int value)
{
    const QString text = QString::number(Clamp(value));
    if (text != Text())
        lineEdit()->setText(text);
}

QString TSpinEdit::Text() const
{
    return lineEdit()->text();
}

void TSpinEdit::stepBy(int steps)
{
    SetValue(Clamp(static_cast<long long>(Value()) + steps));
    selectAll();
}

QValidator::State TSpinEdit::validate(QString& input, int& /*pos*/) const
{
    return std::all_of(input.begin(), input.end(), IsAllowedChar) ? QValidator::Acceptable
                                                                  : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    const int value = Value();
    StepEnabled enabled = StepNone;
    if (value < FMaxValue)
        enabled |= StepUpEnabled;
    if (value > FMinValue)
        enabled |= StepDownEnabled;
    return enabled;
}

void TSpinEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool control = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    if (!control && typed.size() == 1 && typed.front().isPrint() && !IsAllowedChar(typed.front())) {
        QApplication::beep();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusOutEvent(event);
    if (const auto typed = ParseWhole(Text()); typed && (*typed < FMinValue || *typed > FMaxValue))
        SetValue(Clamp(*typed));
}

} // namespace zelmaro
