#pragma once

#include <QString>

class QCoreApplication;

// Installs the compiled string tables ":/i18n/<name>_en.qm" and, when the
// user's language is not English, ":/i18n/<name>_<language>.qm" on top, so a
// key missing from a translation still shows English, never the raw key.
// Returns the number of tables installed.
int InstallStringTables(QCoreApplication& application, const QString& name);
