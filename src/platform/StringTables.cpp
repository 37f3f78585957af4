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

// Qt's translations come with the system's Qt (Debian: qt6-translations-l10n);
// without them the standard menus stay English, which is said once.
int InstallQtTranslations(QCoreApplication& application, const QString& language)
{
    const QString path =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_%1.qm").arg(language);
    if (QFile::exists(path) && Install(application, path)) {
        return 1;
    }
    std::fprintf(stderr, "%s: no Qt translations for language %s (%s): Qt's own texts stay English\n",
                 qPrintable(QCoreApplication::applicationName()), qPrintable(language), qPrintable(path));
    return 0;
}

} // namespace

int InstallStringTables(QCoreApplication& application, const QString& name)
{
    return InstallStringTables(application, name, QLocale().name().section(QLatin1Char('_'), 0, 0));
}

int InstallStringTables(QCoreApplication& application, const QString& name, const QString& language)
{
    const QString base = QStringLiteral(":/i18n/%1_").arg(name);
    int installed = Install(application, base + QStringLiteral("en.qm")) ? 1 : 0;

    if (!language.isEmpty() && language != QLatin1String("en") && language != QLatin1String("C")) {
        installed += Install(application, base + language + QStringLiteral(".qm")) ? 1 : 0;
        installed += InstallQtTranslations(application, language);
    }
    return installed;
}
