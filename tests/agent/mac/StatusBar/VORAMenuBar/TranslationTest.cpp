// The string tables of both programs: every language translates every key
// of the English table, keeps its placeholders and tokens, and is compiled
// into the .qm the program embeds.
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct Message
{
    QString translation;
    QString type; // "unfinished", "vanished", "obsolete" or empty
};

struct Program
{
    const char* name;
    const char* tsDirectory;
    const char* qmDirectory;
};

const Program kPrograms[] = {
    {"VORAMenuBar", VORAMENUBAR_TS_DIR, VORAMENUBAR_QM_DIR},
    {"VUserAlert", VUSERALERT_TS_DIR, VUSERALERT_QM_DIR},
};

const char* const kRequiredLanguages[] = {"de", "fr", "es", "ja",    "it", "pt_BR",
                                          "nl", "pl", "sv", "zh_CN", "ko"};

// id → message of one .ts file; empty when the file cannot be read.
QMap<QString, Message> ReadTable(const QString& path)
{
    QMap<QString, Message> table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return table;
    }
    QXmlStreamReader xml(&file);
    QString id;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("message")) {
            id = xml.attributes().value(QLatin1String("id")).toString();
        } else if (xml.name() == QLatin1String("translation")) {
            Message& message = table[id];
            message.type = xml.attributes().value(QLatin1String("type")).toString();
            message.translation = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return table;
}

// Languages with a table, from "<program>_<language>.ts".
QStringList Languages(const Program& program)
{
    QStringList languages;
    const QString prefix = QString::fromLatin1(program.name) + QLatin1Char('_');
    for (const QString& file : QDir(QString::fromLatin1(program.tsDirectory)).entryList({prefix + "*.ts"})) {
        languages.append(file.mid(prefix.size()).chopped(3));
    }
    return languages;
}

QString TablePath(const Program& program, const QString& language)
{
    return QStringLiteral("%1/%2_%3.ts")
        .arg(QString::fromLatin1(program.tsDirectory), program.name, language);
}

// What must come through translation unchanged, sorted:
// "Install %1 now" → {"%1"}; "@(Installing) VORA" → {"@(Installing)", "VORA"}.
QStringList Invariants(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(%L?\d+|@\([^)]*\)|VORA|VUserAlert)"));
    QStringList found;
    for (const QRegularExpressionMatch& match : pattern.globalMatch(text)) {
        found.append(match.captured());
    }
    found.sort();
    return found;
}

} // namespace

TEST(TranslationTables, EveryProgramHasTheRequiredLanguages)
{
    for (const Program& program : kPrograms) {
        const QStringList languages = Languages(program);
        EXPECT_TRUE(languages.contains("en")) << program.name;
        for (const char* language : kRequiredLanguages) {
            EXPECT_TRUE(languages.contains(QLatin1String(language))) << program.name << " " << language;
        }
    }
}

TEST(TranslationTables, EveryLanguageTranslatesEveryEnglishKeyAndKeepsItsTokens)
{
    for (const Program& program : kPrograms) {
        const QMap<QString, Message> english = ReadTable(TablePath(program, QStringLiteral("en")));
        ASSERT_FALSE(english.isEmpty()) << program.name;
        for (const QString& language : Languages(program)) {
            const QMap<QString, Message> table = ReadTable(TablePath(program, language));
            const std::string where = std::string(program.name) + "_" + language.toStdString();
            for (auto key = english.cbegin(); key != english.cend(); ++key) {
                const auto found = table.constFind(key.key());
                if (found == table.cend()) {
                    ADD_FAILURE() << where << ": key \"" << key.key().toStdString() << "\" missing";
                    continue;
                }
                EXPECT_TRUE(found->type.isEmpty())
                    << where << ": \"" << key.key().toStdString() << "\" is " << found->type.toStdString();
                EXPECT_FALSE(found->translation.trimmed().isEmpty())
                    << where << ": \"" << key.key().toStdString() << "\" is empty";
                EXPECT_EQ(Invariants(found->translation), Invariants(key->translation))
                    << where << ": \"" << key.key().toStdString() << "\" → \""
                    << found->translation.toStdString() << "\"";
            }
            for (auto key = table.cbegin(); key != table.cend(); ++key) {
                EXPECT_TRUE(english.contains(key.key()))
                    << where << ": key \"" << key.key().toStdString() << "\" is not in the English table";
            }
        }
    }
}

// The .qm files are what the programs embed: each must exist (the table is
// in the build) and give the table's text for every key.
TEST(TranslationTables, CompiledTablesTranslateEveryKey)
{
    for (const Program& program : kPrograms) {
        const QMap<QString, Message> english = ReadTable(TablePath(program, QStringLiteral("en")));
        for (const QString& language : Languages(program)) {
            const std::string where = std::string(program.name) + "_" + language.toStdString();
            QTranslator compiled;
            ASSERT_TRUE(
                compiled.load(QStringLiteral("%1/%2_%3.qm")
                                  .arg(QString::fromLatin1(program.qmDirectory), program.name, language)))
                << where << ".qm is not built: is the .ts in the program's CMakeLists?";
            const QMap<QString, Message> table = ReadTable(TablePath(program, language));
            for (const QString& key : english.keys()) {
                EXPECT_EQ(compiled.translate(nullptr, key.toUtf8().constData()), table.value(key).translation)
                    << where << ": " << key.toStdString();
            }
        }
    }
}
