#include "app/QtMessageBoxes.h"

#include "app/QtText.h"

#include <QApplication>

namespace zelmaro {

void TQtMessageBoxes::ShowError(std::string_view message, std::string_view caption)
{
    Show(QMessageBox::Critical, message, caption);
}

void TQtMessageBoxes::ShowWarning(std::string_view message, std::string_view caption)
{
    Show(QMessageBox::Warning, message, caption);
}

void TQtMessageBoxes::ShowInfo(std::string_view message, std::string_view caption)
{
    Show(QMessageBox::Information, message, caption);
}

bool TQtMessageBoxes::AskYesNo(std::string_view question, std::string_view caption)
{
    QMessageBox box(QMessageBox::Question, FromLocal(caption), FromLocal(question),
                    QMessageBox::Yes | QMessageBox::No, FParent.data());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TQtMessageBoxes::Show(QMessageBox::Icon icon, std::string_view message,
                           std::string_view caption)
{
    QApplication::beep();
    QMessageBox box(icon, FromLocal(caption), FromLocal(message), QMessageBox::Ok, FParent.data());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace zelmaro
