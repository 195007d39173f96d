#pragma once

#include "workflow/WorkflowHost.h"

#include <QPointer>
#include <QWidget>

#include <string_view>

class QLabel;
class QPushButton;

namespace zelmaro {

class TFileStaticText;

// The progress window of one long operation: the directory, the number of
// files found, the file in work and a cancel button. It does nothing by itself
// but report the cancel button (and Escape); closing it only hides it.
class TfrmInfo : public QWidget, public TProgressView {
    Q_OBJECT
public:
    // mainWindow: the window to centre over (the screen when null).
    explicit TfrmInfo(QWidget* mainWindow = nullptr);

    void SetFirstCaption(std::string_view caption) override;
    void SetDirectory(std::string_view path) override;
    void ShowFoundCount(int count) override;
    void ShowFileLine() override;
    void SetThirdCaption(std::string_view caption) override;
    void SetFileName(std::string_view name) override;
    void ShowNow() override;

    QLabel* const lblInfo1;
    TFileStaticText* const txtInfo1;
    QLabel* const lblInfo2;
    QLabel* const txtInfo2;
    QLabel* const lblInfo3;
    TFileStaticText* const txtInfo3;
    QPushButton* const cmdCancel;

signals:
    void CancelClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void cmdCancelClick();
    void CenterOverMainWindow();

    QPointer<QWidget> FMainWindow;
};

} // namespace zelmaro
