#pragma once

// The application main takes the display choice from here too: it runs just
// before the string tables are installed.
#include "DisplaySelection.h"

#include <QString>

class QCoreApplication;

// Installs the compiled string tables ":/i18n/<name>_en.qm" and, when the
// user's language is not English, ":/i18n/<name>_<language>.qm" on top, so a
// key missing from a translation still shows English, never the raw key.
// Qt's own texts (the standard context menus, "&Copy", "Select All") follow
// the same language from "qtbase_<language>.qm" in Qt's translations
// directory. Returns the number of tables installed.
int InstallStringTables(QCoreApplication& application, const QString& name);

// The same for a given language ("de"; "en", "C" or empty: English only).
int InstallStringTables(QCoreApplication& application, const QString& name, const QString& language);
