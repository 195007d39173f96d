#include "app/SpinEdit.h"

#include "app/QtText.h"
#include "support/DateTime.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <limits>
#include <optional>

namespace zelmaro {
namespace {

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

TSpinEdit::TSpinEdit(int minValue, int maxValue, int maxLength, QWidget* parent, TSpinFormat format)
    : QAbstractSpinBox(parent), FMinValue(minValue), FMaxValue(maxValue), FFormat(format)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    lineEdit()->setMaxLength(maxLength);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        FitText();
        emit Changed();
    });
}

int TSpinEdit::Clamp(long long value) const
{
    return static_cast<int>(std::clamp<long long>(value, FMinValue, FMaxValue));
}

bool TSpinEdit::IsAllowedChar(QChar c) const
{
    return c == u'+' || c == u'-' || (c >= u'0' && c <= u'9') ||
           (c == u':' && FFormat == TSpinFormat::sfDuration);
}

std::optional<long long> TSpinEdit::Parse(const QString& text) const
{
    if (FFormat == TSpinFormat::sfDuration && text.contains(u':'))
        return HoursMinutesSecondsToSeconds(ToLocal(text));
    return ParseWhole(text);
}

int TSpinEdit::Value() const
{
    // A typed number beyond the range is kept; only hours beyond an int are cut.
    using TLimits = std::numeric_limits<int>;
    const auto value = Parse(Text());
    return value ? static_cast<int>(std::clamp<long long>(*value, TLimits::min(), TLimits::max()))
                 : FMinValue;
}

void TSpinEdit::SetValue(int value)
{
    const int clamped = Clamp(value);
    const QString text = FFormat == TSpinFormat::sfDuration
                             ? FromLocal(HoursMinutesSecondsText(clamped))
                             : QString::number(clamped);
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
    return std::all_of(input.begin(), input.end(), [this](QChar c) { return IsAllowedChar(c); })
               ? QValidator::Acceptable
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

void TSpinEdit::resizeEvent(QResizeEvent* event)
{
    QAbstractSpinBox::resizeEvent(event);
    FitText();
}

void TSpinEdit::FitText()
{
    // The room QLineEdit leaves for the text: its contents less a margin of
    // two pixels each side.
    const int room = lineEdit()->contentsRect().width() - 4;
    QFont measured = font();
    const auto width = [&] { return QFontMetrics(measured).horizontalAdvance(Text()); };
    int stretch = 100;
    if (room > 0 && width() > room) {
        // Glyph widths round: narrow by the ratio, then until it fits.
        stretch = std::max(50, room * 100 / width());
        measured.setStretch(stretch);
        while (stretch > 50 && width() > room)
            measured.setStretch(--stretch);
    }
    if (stretch == FStretch)
        return;
    FStretch = stretch;
    QFont narrowed; // inherits everything but what is set
    if (stretch != 100)
        narrowed.setStretch(stretch);
    lineEdit()->setFont(narrowed);
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusOutEvent(event);
    if (const auto typed = Parse(Text()); typed && (*typed < FMinValue || *typed > FMaxValue))
        SetValue(Clamp(*typed));
}

} // namespace zelmaro
