#include "app/FileLbl.h"

#include "app/QtText.h"

#include "support/Paths.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPointer>

namespace zelmaro {

namespace {

// Measures with the label's font on the label's own screen.
class TFontMeasure final : public TTextMeasure {
public:
    TFontMeasure(QWidget* control, QFont font) : FControl(control), FFont(std::move(font)) {}

    int TextWidth(std::string_view text) const override
    {
        const QString s = FromLocal(text);
        if (FControl)
            return QFontMetrics(FFont, FControl.data()).horizontalAdvance(s);
        return QFontMetrics(FFont).horizontalAdvance(s);
    }

    void SetFont(const QFont& font) override { FFont = font; }

private:
    QPointer<QWidget> FControl;
    QFont FFont;
};

} // namespace

void SplitAtSeparator(std::string_view text, std::string_view separator,
                      std::vector<std::string>& parts)
{
    if (!separator.empty()) {
        for (auto pos = text.find(separator); pos != std::string_view::npos;
             pos = text.find(separator)) {
            parts.emplace_back(text.substr(0, pos));
            text.remove_prefix(pos + separator.size());
        }
    }
    parts.emplace_back(text);
}

TFileStaticText::TFileStaticText(QWidget* parent) : QLabel(parent), FSeparator(1, kPathDelimiter)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FCanvas = std::make_unique<TFontMeasure>(this, font());
    ParseFileName();
}

TFileStaticText::~TFileStaticText() = default;

void TFileStaticText::SetFileName(std::string_view fileName)
{
    if (fileName == FFileName)
        return;
    FFileName = fileName;
    ParseFileName();
    FitCaption();
}

void TFileStaticText::SetSeparator(std::string_view separator)
{
    if (separator == FSeparator)
        return;
    FSeparator = separator;
    ParseFileName();
    FitCaption();
}

void TFileStaticText::SetDirection(TDirection direction)
{
    if (direction == FDirection)
        return;
    FDirection = direction;
    FitCaption();
}

void TFileStaticText::SetTextMeasure(std::unique_ptr<TTextMeasure> measure)
{
    FCanvas = std::move(measure);
    if (FCanvas) {
        FCanvas->SetFont(font());
        FitCaption();
    }
}

void TFileStaticText::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    FitCaption();
}

void TFileStaticText::moveEvent(QMoveEvent* event)
{
    QLabel::moveEvent(event);
    FitCaption();
}

void TFileStaticText::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && FCanvas) {
        FCanvas->SetFont(font());
        FitCaption();
    }
}

void TFileStaticText::ParseFileName()
{
    FParts.clear();
    SplitAtSeparator(FFileName, FSeparator, FParts);
    const std::string& first = FParts.front();
    FHasDrive = first.size() >= 2 && first.back() == ':';
}

void TFileStaticText::FitCaption()
{
    if (!FCanvas)
        return;
    const auto tw = [this](const std::string& text) { return FCanvas->TextWidth(text); };
    const int w = width();

    std::string caption;
    if (FFileName.empty() || tw(FFileName) <= w) {
        caption = FFileName;
    } else {
        const std::string e = "..." + FSeparator;
        const std::string& l = FParts.back();
        int fixed = tw(l) + tw(e);
        if (fixed >= w) {
            caption = l;
        } else {
            std::string d;
            int first = 0;
            if (FHasDrive) {
                d = FParts.front() + FSeparator;
                first = 1;
            }
            const int dw = tw(d);
            if (dw + fixed >= w) {
                caption = e + l;
            } else {
                fixed += dw;
                // A part that does not fit ends the walk; later, shorter parts
                // are not tried in its place.
                const int last = static_cast<int>(FParts.size()) - 2;
                std::string m;
                if (FDirection == TDirection::drFromLeft) {
                    for (int i = last; i >= first; --i) {
                        std::string t = FParts[static_cast<std::size_t>(i)] + FSeparator + m;
                        if (tw(t) + fixed > w)
                            break;
                        m = std::move(t);
                    }
                    caption = d + e + m + l;
                } else {
                    for (int i = first; i <= last; ++i) {
                        std::string t = m + FParts[static_cast<std::size_t>(i)] + FSeparator;
                        if (tw(t) + fixed > w)
                            break;
                        m = std::move(t);
                    }
                    caption = d + m + e + l;
                }
            }
        }
    }
    FCaption = std::move(caption);
    setText(FromLocal(FCaption));
}

} // namespace zelmaro
