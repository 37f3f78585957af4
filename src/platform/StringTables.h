#pragma once

// The application main takes the display choice from here too: it runs just
// before the string tables are installed.
#include "DisplaySelection.h"

#include <QString>

class QCoreApplication;

// Installs the compiled string tables ":/i18n/<name>_en.qm" and, when the
// user's language is not English, the user's table on top, so a key missing
// from a translation still shows English, never the raw key. The user's
// table is ":/i18n/<name>_<language>_<country>.qm" when there is one
// ("pt_BR", "zh_CN"), else ":/i18n/<name>_<language>.qm" ("de" for de_AT).
// Qt's own texts (the standard context menus, "&Copy", "Select All") follow
// the same language from "qtbase_*.qm" in Qt's translations directory,
// chosen the same way. Returns the number of tables installed.
int InstallStringTables(QCoreApplication& application, const QString& name);

// The same for a given locale name ("de", "pt_BR"; "en", "en_GB", "C" or
// empty: English only).
int InstallStringTables(QCoreApplication& application, const QString& name, const QString& language);
