#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace zelmaro {

// A directory field the user cannot type into, with a button that opens the
// folder selection. textChanged fires on every change of the text, also when
// the program sets it.
class TDirectoryEdit : public QWidget {
    Q_OBJECT

public:
    explicit TDirectoryEdit(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    // Lets the user pick a folder; a chosen folder replaces the text.
    void Browse();

    QLineEdit* Edit() const { return FEdit; }
    QToolButton* Button() const { return FButton; }

signals:
    void textChanged(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* FEdit;
    QToolButton* FButton;
};

} // namespace zelmaro
