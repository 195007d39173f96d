#include "app/QtMessageBoxes.h"

#include <QApplication>

namespace zelmaro {

namespace {

QString FromBytes(std::string_view text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

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

void TQtMessageBoxes::Show(QMessageBox::Icon icon, std::string_view message,
                           std::string_view caption)
{
    QApplication::beep();
    QMessageBox box(icon, FromBytes(caption), FromBytes(message), QMessageBox::Ok, FParent.data());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace zelmaro
