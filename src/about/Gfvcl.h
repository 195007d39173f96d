#pragma once

#include "about/GradientMath.h"

#include <QImage>
#include <QWidget>

namespace zelmaro {

// A colour gradient painted as a row of solid bands.
class TGradientFill : public QWidget {
    Q_OBJECT

public:
    explicit TGradientFill(QWidget* parent = nullptr);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    TColor BeginColor() const { return FBeginColor; }
    void SetBeginColor(TColor value);
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor value);
    TFillDirection FillDirection() const { return FFillDirection; }
    void SetFillDirection(TFillDirection value);
    // 0 means the display-dependent default.
    TNumberOfColors NumberOfColors() const { return FNumberOfColors; }
    void SetNumberOfColors(TNumberOfColors value);

    // Bands actually drawn, and the default taken from the screen.
    std::uint8_t ColorCount() const { return FColorCount; }
    std::uint8_t DefaultColorCount() const { return FDefaultColorCount; }

    // The gradient at the widget's current size, as it is painted.
    QImage Draw() const;

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void DrawNow();

    bool FAutoSize = false;
    TColor FBeginColor = clBlue;
    TColor FEndColor = clBlack;
    TFillDirection FFillDirection = TFillDirection::fdTopToBottom;
    TNumberOfColors FNumberOfColors = 0;
    std::uint8_t FDefaultColorCount = 255;
    std::uint8_t FColorCount = 255;
};

} // namespace zelmaro
