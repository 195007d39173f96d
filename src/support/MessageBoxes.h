#pragma once

#include <string_view>

namespace zelmaro {

// The caption of every message box the program shows.
inline constexpr std::string_view kAppCaption = "Zelmaro";

// Modal message boxes with the matching system sound. The GUI shows real
// boxes, the command-line program prints, tests record.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // Error sound, then a box with the error icon and an OK button.
    virtual void ShowError(std::string_view message, std::string_view caption) = 0;
    // Warning sound and icon.
    virtual void ShowWarning(std::string_view message, std::string_view caption) = 0;
    // Information sound and icon.
    virtual void ShowInfo(std::string_view message, std::string_view caption) = 0;
    // A question with the buttons "Ja" and "Nein" (the default); true for Ja.
    // Where nobody can be asked (a console), the answer is no.
    virtual bool AskYesNo(std::string_view /*question*/, std::string_view /*caption*/)
    {
        return false;
    }
};

} // namespace zelmaro
