#pragma once

#include "support/MessageBoxes.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace zelmaro {

// Message boxes as modal QMessageBoxes over a window, each with the system
// sound first.
class TQtMessageBoxes final : public MessageBoxes {
public:
    // parent: the window the boxes are modal to; null for the application.
    explicit TQtMessageBoxes(QWidget* parent = nullptr) : FParent(parent) {}

    void ShowError(std::string_view message, std::string_view caption) override;
    void ShowWarning(std::string_view message, std::string_view caption) override;
    void ShowInfo(std::string_view message, std::string_view caption) override;
    bool AskYesNo(std::string_view question, std::string_view caption) override;

private:
    void Show(QMessageBox::Icon icon, std::string_view message, std::string_view caption);

    QPointer<QWidget> FParent;
};

} // namespace zelmaro
