#include "app/DirectoryEdit.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QToolButton>
#include <QUrl>

namespace zelmaro {

TDirectoryEdit::TDirectoryEdit(QWidget* parent)
    : QWidget(parent), FEdit(new QLineEdit(this)), FButton(new QToolButton(this))
{
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

namespace {

// The folder a drag from the file manager carries, if it carries one.
QString DroppedFolder(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QString path = data->urls().front().toLocalFile();
    return !path.isEmpty() && QFileInfo(path).isDir() ? QDir::toNativeSeparators(path) : QString();
}

} // namespace

bool TDirectoryEdit::TakeDrop(const QMimeData* data)
{
    const QString folder = DroppedFolder(data);
    if (folder.isEmpty())
        return false;
    setText(folder);
    return true;
}

bool TDirectoryEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FEdit)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit Submitted();
            return true;
        }
        const bool altDown = key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier);
        if (key->key() == Qt::Key_F4 || altDown) {
            Browse();
            return true;
        }
        break;
    }
    // A folder replaces the text; other drops (text) are the line edit's.
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!DroppedFolder(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
        break;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (TakeDrop(drop->mimeData())) {
            drop->acceptProposedAction();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zelmaro
