#include "app/AppCursor.h"
#include "app/AppShell.h"
#include "app/GuiWorkflowHost.h"
#include "app/Info.h"
#include "app/QtMessageBoxes.h"
#include "common/RecordingMessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace zelmaro {
namespace {

// Answers the next modal message box with OK; seen gets its icon, title, text
// and number of buttons as "icon title: text (buttons)".
void AnswerNextBox(QString& seen)
{
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        seen = QStringLiteral("%1 %2: %3 (%4)")
                   .arg(static_cast<int>(box->icon()))
                   .arg(box->windowTitle(), box->text())
                   .arg(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
}

TEST(ShellTest, MessageBoxesAreModalWithTheirIcon)
{
    struct Case {
        void (MessageBoxes::*show)(std::string_view, std::string_view);
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {&MessageBoxes::ShowError, QMessageBox::Critical},
        {&MessageBoxes::ShowWarning, QMessageBox::Warning},
        {&MessageBoxes::ShowInfo, QMessageBox::Information},
    };
    QWidget window;
    TQtMessageBoxes boxes(&window);
    for (const Case& c : cases) {
        QString seen;
        AnswerNextBox(seen);
        (boxes.*c.show)("Keine Übereinstimmung gefunden!", kAppCaption);
        EXPECT_EQ(seen.toStdString(),
                  std::to_string(c.icon) + " Zelmaro: Keine Übereinstimmung gefunden! (1)");
    }
}

TEST(ShellTest, BusyPointerIsOneApplicationSetting)
{
    SetAppCursor(TCursorKind::crDefault);
    EXPECT_EQ(AppCursor(), TCursorKind::crDefault);

    SetAppCursor(TCursorKind::crHourGlass);
    SetAppCursor(TCursorKind::crHourGlass);
    EXPECT_EQ(AppCursor(), TCursorKind::crHourGlass);
    SetAppCursor(TCursorKind::crDefault);
    EXPECT_EQ(AppCursor(), TCursorKind::crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    {
        TBusyCursor outer;
        EXPECT_EQ(AppCursor(), TCursorKind::crHourGlass);
        {
            TBusyCursor inner;
        }
        // The inner one restores what it found: still busy.
        EXPECT_EQ(AppCursor(), TCursorKind::crHourGlass);
    }
    EXPECT_EQ(AppCursor(), TCursorKind::crDefault);
}

TEST(ShellTest, TheWindowSpeaksGermanToGermansAndEnglishToEveryoneElse)
{
    const struct {
        QStringList languages;
        TLanguage language;
        const char* close; // Qt's stock caption
        const char* read;  // one of the program's own
    } cases[] = {
        {{"de-DE", "en-US"}, TLanguage::lgGerman, "Schließen", "Auslesen"},
        {{"de-AT"}, TLanguage::lgGerman, "Schließen", "Auslesen"},
        {{"en-GB", "de-DE"}, TLanguage::lgEnglish, "Close", "Read"},
        {{"fr-FR"}, TLanguage::lgEnglish, "Close", "Read"},
        {{}, TLanguage::lgEnglish, "Close", "Read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.languages.join(',').toStdString());
        ASSERT_EQ(WindowLanguage(c.languages), c.language);
        const std::vector<QTranslator*> translators =
            LoadTranslations(*QCoreApplication::instance(), c.language);
        ASSERT_EQ(translators.size(), 1U)
            << "qtbase_de.qm (qt6-translations-l10n) or zelmaro_en.qm";
        QDialogButtonBox buttons(QDialogButtonBox::Close);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Close)->text().remove('&'), c.close);
        EXPECT_EQ(QCoreApplication::translate("zelmaro::TfrmMain", "Auslesen"), c.read);
        for (QTranslator* translator : translators) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
}

TEST(ShellTest, RunCommandShowsAnEscapedErrorAndGoesOn)
{
    test::RecordingMessageBoxes boxes;
    bool ran = false;
    RunCommand(boxes, [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(boxes.Messages.empty());

    RunCommand(boxes, [] { throw std::invalid_argument("'x' ist kein gültiger Integerwert"); });
    ASSERT_EQ(boxes.Messages.size(), 1U);
    EXPECT_EQ(boxes.Messages[0].Kind, "error");
    EXPECT_EQ(boxes.Messages[0].Caption + ": " + boxes.Messages[0].Text,
              "Zelmaro: 'x' ist kein gültiger Integerwert");
}

TEST(ShellTest, HostProgressWindowAndCancelRequest)
{
    QWidget window;
    TGuiWorkflowHost host(&window);
    host.RequestCancel();
    std::unique_ptr<TProgressView> progress = host.CreateProgress();
    auto* info = dynamic_cast<TfrmInfo*>(progress.get());
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(host.Progress(), info);
    EXPECT_FALSE(host.CancelRequested());

    // A click waits in the queue until the operation lets events run.
    QMetaObject::invokeMethod(info->cmdCancel, &QPushButton::click, Qt::QueuedConnection);
    EXPECT_FALSE(host.CancelRequested());
    host.ProcessPendingEvents();
    EXPECT_TRUE(host.CancelRequested());

    progress.reset();
    EXPECT_EQ(host.Progress(), nullptr);
}

TEST(ShellTest, TerminateEndsTheLoopAfterTheRunningHandler)
{
    TGuiWorkflowHost host(nullptr);
    bool handlerFinished = false;
    QTimer::singleShot(0, [&] {
        host.RequestTerminate();
        handlerFinished = true;
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); }); // a safety net only
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(handlerFinished);
    EXPECT_TRUE(host.TerminateRequested());
}

} // namespace
} // namespace zelmaro
