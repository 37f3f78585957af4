#include "StringTables.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

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

} // namespace

int InstallStringTables(QCoreApplication& application, const QString& name)
{
    const QString base = QStringLiteral(":/i18n/%1_").arg(name);
    int installed = Install(application, base + QStringLiteral("en.qm")) ? 1 : 0;

    const QString language = QLocale().name().section(QLatin1Char('_'), 0, 0);
    if (!language.isEmpty() && language != QLatin1String("en") && language != QLatin1String("C")) {
        installed += Install(application, base + language + QStringLiteral(".qm")) ? 1 : 0;
    }
    return installed;
}
