#include "app/AppCursor.h"

#include <QApplication>
#include <QCursor>

namespace zelmaro {

TCursorKind AppCursor()
{
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor ? TCursorKind::crHourGlass
                                                                  : TCursorKind::crDefault;
}

void SetAppCursor(TCursorKind cursor)
{
    // One application-wide setting, not a stack: the last call wins.
    if (cursor == TCursorKind::crHourGlass) {
        if (QApplication::overrideCursor() == nullptr)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::changeOverrideCursor(Qt::WaitCursor);
    } else {
        while (QApplication::overrideCursor() != nullptr)
            QApplication::restoreOverrideCursor();
    }
}

TBusyCursor::TBusyCursor() : FPrevious(AppCursor())
{
    SetAppCursor(TCursorKind::crHourGlass);
}

TBusyCursor::~TBusyCursor()
{
    SetAppCursor(FPrevious);
}

} // namespace zelmaro
