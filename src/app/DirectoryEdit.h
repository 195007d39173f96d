#pragma once

#include <QWidget>

class QLineEdit;
class QMimeData;
class QToolButton;

namespace zelmaro {

// A directory field: typed or pasted (Enter asks for it to be read), chosen
// in the folder selection (the button, F4 or Alt+Down), or a folder dropped
// from the file manager. textChanged fires on every change of the text, also
// when the program sets it.
class TDirectoryEdit : public QWidget {
    Q_OBJECT

public:
    explicit TDirectoryEdit(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    // Lets the user pick a folder; a chosen folder replaces the text.
    void Browse();
    // A drop on the field: a single folder replaces the text (true); anything
    // else is left to the line edit.
    bool TakeDrop(const QMimeData* data);

    QLineEdit* Edit() const { return FEdit; }
    QToolButton* Button() const { return FButton; }

signals:
    void textChanged(const QString& text);
    // The user pressed Enter in the field.
    void Submitted();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* FEdit;
    QToolButton* FButton;
};

} // namespace zelmaro
