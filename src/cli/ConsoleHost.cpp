#include "cli/ConsoleHost.h"

#include "cli/ConsoleText.h"
#include "support/Messages.h"

namespace zelmaro {

namespace {

// Progress lines on the error stream; the file line is rewritten in place
// on a terminal and written once per file elsewhere. Names are shown with
// their control characters made visible, so each stays on its line.
class TConsoleProgress final : public TProgressView {
public:
    TConsoleProgress(std::ostream& err, bool rewrite, bool& openLine)
        : FErr(err), FRewrite(rewrite), FOpenLine(openLine)
    {
    }
    ~TConsoleProgress() override
    {
        if (FOpenLine)
            FErr << '\n' << std::flush;
        FOpenLine = false;
    }

    void SetFirstCaption(std::string_view caption) override { FFirstCaption = caption; }
    void SetDirectory(std::string_view path) override { FDirectory = path; }
    void ShowFoundCount(int count) override
    {
        FErr << Fill(Tr("Gefundene Dateien: %1"), count) << '\n' << std::flush;
    }
    void ShowFileLine() override {}
    void SetThirdCaption(std::string_view caption) override { FThirdCaption = caption; }
    void SetFileName(std::string_view name) override
    {
        if (name.empty())
            return;
        if (FRewrite) {
            FErr << "\r\x1b[K" << ConsoleText(FThirdCaption) << ' ' << ConsoleText(name)
                 << std::flush;
            FOpenLine = true;
        } else {
            FErr << ConsoleText(FThirdCaption) << ' ' << ConsoleText(name) << '\n' << std::flush;
        }
    }
    void ShowNow() override
    {
        FErr << ConsoleText(FFirstCaption) << ' ' << ConsoleText(FDirectory) << '\n' << std::flush;
    }

private:
    std::ostream& FErr;
    bool FRewrite;
    bool& FOpenLine;
    std::string FFirstCaption = Tr("Lese Verzeichnis:");
    std::string FThirdCaption = Tr("Lese Daten von Datei:");
    std::string FDirectory;
};

} // namespace

void TConsoleHost::Line(std::string_view text)
{
    if (FOpenLine) {
        FErr << '\n';
        FOpenLine = false;
    }
    FErr << ConsoleText(text) << '\n' << std::flush;
}

void TConsoleHost::Message(std::string_view pattern, std::string_view text)
{
    Line(Fill(pattern, text));
}

void TConsoleHost::ShowError(std::string_view message, std::string_view)
{
    FLastError = message;
    Message(Tr("Fehler: %1"), message);
}

void TConsoleHost::ShowWarning(std::string_view message, std::string_view)
{
    FLastWarning = message;
    Message(Tr("Warnung: %1"), message);
}

void TConsoleHost::ShowInfo(std::string_view message, std::string_view)
{
    Message(Tr("Hinweis: %1"), message);
}

void TConsoleHost::ShowStatus(std::string_view text)
{
    if (!text.empty())
        Line(text);
}

void TConsoleHost::ShowWriteFailures(const std::vector<TWriteFailure>& failures)
{
    for (const TWriteFailure& failure : failures)
        Message(Tr("Fehler: %1"),
                Fill(Tr("Bild \"%1\" nicht geändert: %2"), failure.FileName, failure.Reason));
}

std::unique_ptr<TProgressView> TConsoleHost::CreateProgress()
{
    return std::make_unique<TConsoleProgress>(FErr, FRewrite, FOpenLine);
}

} // namespace zelmaro
