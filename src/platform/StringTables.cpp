#include "StringTables.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace {

bool Install(QCoreApplication& application, const QString& path)
{
    auto* table = new QTranslator(&application);
    if (!table->load(path) || !QCoreApplication::installTranslator(table)) {
        delete table;
        return false;
    }
    return true;
}

// The names a table may have for a language, the most specific first: a
// country's own table wins, the language's serves every other country.
//   "pt_BR" -> {"pt_BR", "pt"}; "de_AT" -> {"de_AT", "de"}; "sv" -> {"sv"}
QStringList Candidates(const QString& language)
{
    const QString base = language.section(QLatin1Char('_'), 0, 0);
    return base == language ? QStringList{language} : QStringList{language, base};
}

// Installs the first of "<pattern with %1 = candidate>" that exists.
bool InstallFirst(QCoreApplication& application, const QString& pattern, const QStringList& candidates)
{
    for (const QString& candidate : candidates) {
        const QString path = pattern.arg(candidate);
        if (QFile::exists(path)) {
            return Install(application, path);
        }
    }
    return false;
}

// Qt's translations come with the system's Qt (Debian: qt6-translations-l10n);
// without them the standard menus stay English, which is said once. Debian 12
// has none for Swedish, for one.
int InstallQtTranslations(QCoreApplication& application, const QStringList& candidates)
{
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (InstallFirst(application, directory + QStringLiteral("/qtbase_%1.qm"), candidates)) {
        return 1;
    }
    std::fprintf(stderr,
                 "%s: no Qt translations for language %s (qtbase_%s.qm in %s): Qt's own texts stay English\n",
                 qPrintable(QCoreApplication::applicationName()), qPrintable(candidates.constFirst()),
                 qPrintable(candidates.join(QStringLiteral(".qm, qtbase_"))), qPrintable(directory));
    return 0;
}

} // namespace

int InstallStringTables(QCoreApplication& application, const QString& name)
{
    return InstallStringTables(application, name, QLocale().name());
}

int InstallStringTables(QCoreApplication& application, const QString& name, const QString& language)
{
    const QString base = QStringLiteral(":/i18n/%1_").arg(name);
    int installed = Install(application, base + QStringLiteral("en.qm")) ? 1 : 0;

    const QStringList candidates = Candidates(language);
    const QString& primary = candidates.constLast();
    if (primary.isEmpty() || primary == QLatin1String("en") || primary == QLatin1String("C")) {
        return installed;
    }
    installed += InstallFirst(application, base + QStringLiteral("%1.qm"), candidates) ? 1 : 0;
    installed += InstallQtTranslations(application, candidates);
    return installed;
}
