#pragma once

#include <QFont>
#include <QLabel>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// Which directories stay when a path is shortened: drFromLeft keeps those
// next to the file name ("C:\...\Urlaub\IMG.JPG"), drFromRight those next to
// the drive ("C:\Bilder\...\IMG.JPG").
enum class TDirection : std::uint8_t { drFromLeft, drFromRight };

// Appends the parts of text between occurrences of separator, left to right;
// empty parts count, and an empty separator leaves the text whole.
void SplitAtSeparator(std::string_view text, std::string_view separator,
                      std::vector<std::string>& parts);

// Measures text widths for a path label in the label's font.
class TTextMeasure {
public:
    virtual ~TTextMeasure() = default;

    // Width in pixels of the text drawn in the current font.
    virtual int TextWidth(std::string_view text) const = 0;
    // Called with the label's font whenever it changes.
    virtual void SetFont(const QFont& font) = 0;
};

// A label that shows a path and, when the path is wider than the label, leaves
// out directories and shows "..." in their place. The caption is computed
// from FileName, Separator, Direction, the width and the font; it is never set
// from outside, and the label never sizes itself to its text.
class TFileStaticText : public QLabel {
    Q_OBJECT
public:
    explicit TFileStaticText(QWidget* parent = nullptr);
    ~TFileStaticText() override;

    const std::string& FileName() const { return FFileName; }
    void SetFileName(std::string_view fileName);
    const std::string& Separator() const { return FSeparator; }
    void SetSeparator(std::string_view separator);
    TDirection Direction() const { return FDirection; }
    void SetDirection(TDirection direction);

    // Replaces the measuring surface (which otherwise uses the label's font)
    // and fits the caption with it.
    void SetTextMeasure(std::unique_ptr<TTextMeasure> measure);

    // The text shown, as bytes.
    const std::string& Caption() const { return FCaption; }
    const std::vector<std::string>& Parts() const { return FParts; }
    bool HasDrive() const { return FHasDrive; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ParseFileName();
    void FitCaption();

    std::string FFileName;
    std::string FSeparator;
    TDirection FDirection = TDirection::drFromLeft;
    std::vector<std::string> FParts;
    bool FHasDrive = false;
    std::unique_ptr<TTextMeasure> FCanvas;
    std::string FCaption;
};

} // namespace zelmaro
