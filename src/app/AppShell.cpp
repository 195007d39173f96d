#include "app/AppShell.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include <exception>
#include <memory>

namespace zelmaro {

void InitApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("Zelmaro"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zelmaro"));
    QGuiApplication::setDesktopFileName(QStringLiteral(ZELMARO_APP_ID));
    LoadQtTranslations(app);
}

QTranslator* LoadQtTranslations(QCoreApplication& app, const QLocale& locale)
{
    // Qt's installed translations first, then a folder beside the program,
    // where a Windows installation keeps them.
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
    };
    auto translator = std::make_unique<QTranslator>();
    for (const QString& folder : folders) {
        if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            translator->setParent(&app);
            return translator.release();
        }
    }
    return nullptr;
}

void ProcessPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void RunCommand(MessageBoxes& boxes, const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        boxes.ShowError(error.what(), kAppCaption);
    } catch (...) {
        boxes.ShowError("Unbekannter Fehler", kAppCaption);
    }
}

} // namespace zelmaro
