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
    LoadTranslations(app, WindowLanguage());
    InitMessages(WindowLanguage());
}

TLanguage WindowLanguage(const QStringList& uiLanguages)
{
    return uiLanguages.isEmpty() ? TLanguage::lgEnglish
                                 : LanguageOf(uiLanguages.front().toStdString());
}

std::vector<QTranslator*> LoadTranslations(QCoreApplication& app, TLanguage language)
{
    std::vector<QTranslator*> installed;
    const auto install = [&](const QString& name, const QStringList& folders) {
        auto translator = std::make_unique<QTranslator>();
        for (const QString& folder : folders) {
            if (translator->load(name, folder)) {
                QCoreApplication::installTranslator(translator.get());
                translator->setParent(&app);
                installed.push_back(translator.release());
                return;
            }
        }
    };
    if (language == TLanguage::lgGerman) {
        // Qt's installed translations first, then a folder beside the
        // program, where a Windows installation keeps them.
        install(QStringLiteral("qtbase_de"), {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                              QDir(QCoreApplication::applicationDirPath())
                                                  .filePath(QStringLiteral("translations"))});
    } else {
        install(QStringLiteral("zelmaro_en"), {QStringLiteral(":/i18n")});
    }
    return installed;
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
        boxes.ShowError(QCoreApplication::translate("zelmaro", "Unbekannter Fehler")
                            .toLocal8Bit()
                            .toStdString(),
                        kAppCaption);
    }
}

} // namespace zelmaro
