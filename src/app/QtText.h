#pragma once

#include <QFont>
#include <QString>

#include <string>
#include <string_view>

namespace zelmaro {

// The program's byte texts (file names, messages, log lines) are in the
// system's 8-bit encoding; Qt's are Unicode.
inline QString FromLocal(std::string_view text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToLocal(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

// The windows' font: Arial at a fixed pixel size, so that the laid-out
// controls keep their sizes whatever the screen's resolution.
inline constexpr int kUiFontPixels = 13;

inline QFont UiFont(int pixels = kUiFontPixels, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace zelmaro
