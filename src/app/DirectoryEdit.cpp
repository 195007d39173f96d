#include "app/DirectoryEdit.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace zelmaro {

TDirectoryEdit::TDirectoryEdit(QWidget* parent)
    : QWidget(parent), FEdit(new QLineEdit(this)), FButton(new QToolButton(this))
{
    FEdit->setReadOnly(true);
    FButton->setText(QStringLiteral("..."));
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->setCursor(Qt::ArrowCursor);
    setFocusProxy(FEdit);
    setFocusPolicy(Qt::StrongFocus);
    FEdit->installEventFilter(this);
    connect(FEdit, &QLineEdit::textChanged, this, &TDirectoryEdit::textChanged);
    connect(FButton, &QToolButton::clicked, this, &TDirectoryEdit::Browse);
}

QString TDirectoryEdit::text() const
{
    return FEdit->text();
}

void TDirectoryEdit::setText(const QString& text)
{
    FEdit->setText(text);
}

void TDirectoryEdit::Browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(window(), QString(), text());
    if (!chosen.isEmpty())
        setText(QDir::toNativeSeparators(chosen));
}

void TDirectoryEdit::resizeEvent(QResizeEvent* /*event*/)
{
    const int h = height();
    FEdit->setGeometry(0, 0, width(), h);
    FButton->setGeometry(width() - h - 2, 2, h, h - 4);
    FEdit->setTextMargins(0, 0, h, 0);
}

bool TDirectoryEdit::eventFilter(QObject* watched, QEvent* event)
{
    // The field takes no typing, so these keys open the folder selection.
    if (watched == FEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool altDown = key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
            key->key() == Qt::Key_Space || key->key() == Qt::Key_F4 || altDown) {
            Browse();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zelmaro
