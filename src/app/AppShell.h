#pragma once

#include "support/MessageBoxes.h"

#include <QLocale>

#include <functional>

class QApplication;
class QCoreApplication;
class QTranslator;

namespace zelmaro {

// Sets the application title "Zelmaro" and loads Qt's own translations for the
// user's language, so that stock buttons read "Schließen" on a German system.
void InitApplication(QApplication& app);

// Installs Qt's translations for the locale; the translator belongs to app.
// Null when no translation for that language is installed.
QTranslator* LoadQtTranslations(QCoreApplication& app, const QLocale& locale = QLocale());

// Lets the toolkit handle pending events (painting, clicks on the progress
// window) in the middle of a long operation.
void ProcessPendingEvents();

// Runs a command from a window event; an error that escapes it is shown in an
// error box with the application's caption ("Unbekannter Fehler" for one that
// is no std::exception) and the program goes on.
void RunCommand(MessageBoxes& boxes, const std::function<void()>& command);

} // namespace zelmaro
