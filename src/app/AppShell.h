#pragma once

#include "support/Language.h"
#include "support/MessageBoxes.h"

#include <QLocale>
#include <QStringList>

#include <functional>
#include <vector>

class QApplication;
class QCoreApplication;
class QTranslator;

namespace zelmaro {

// Sets the application title "Zelmaro" and makes the window speak the
// user's language (WindowLanguage), Qt's stock buttons included.
void InitApplication(QApplication& app);

// German where the user's first interface language is German, English
// otherwise.
TLanguage WindowLanguage(const QStringList& uiLanguages = QLocale::system().uiLanguages());

// Installs the translators for the language: for German Qt's own (the
// program's texts are German), for English the program's. They belong to
// app; the ones installed are returned.
std::vector<QTranslator*> LoadTranslations(QCoreApplication& app, TLanguage language);

// Lets the toolkit handle pending events (painting, clicks on the progress
// window) in the middle of a long operation.
void ProcessPendingEvents();

// Runs a command from a window event; an error that escapes it is shown in an
// error box with the application's caption ("Unbekannter Fehler" for one that
// is no std::exception) and the program goes on.
void RunCommand(MessageBoxes& boxes, const std::function<void()>& command);

} // namespace zelmaro
