#pragma once
// What every build of the program sets up before its window: the look and the language.

#include <QString>

class QApplication;
class QCoreApplication;

void applyAppStyle(QApplication& app);

// Qt's own texts (file dialogs, "Tak" and "Nie", "Anuluj") in Polish beside the program's Polish texts,
// whatever the system's language, and Polish as the default locale, so date fields read the Polish way.
// The translations come from `directory` (by default Qt's own). Without them the program runs on with
// Qt's English texts after a warning on standard error; false then.
bool installPolishTranslations(QCoreApplication& app, const QString& directory = {});

// The look and the language: what the configurator and its demo do first.
void setUpApplication(QApplication& app);
