// The stand-in's JSON shows controls escaped, never raw: a user's answer
// file holding C1 controls reaches the report's "words" as \u009b, not as
// bytes an administrator's terminal would obey.
#include "JsonText.h"
#include "FileHelpers.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(JsonText, ControlsAreEscapedAndOtherTextKept)
{
    const struct
    {
        QString value;
        QByteArray written;
    } rows[] = {
        {QStringLiteral("a\u009b2Jb"), R"(["a\u009b2Jb"])"},
        {QStringLiteral("\u009d0;title\u0007"), R"(["\u009d0;title\u0007"])"},
        {QStringLiteral("\u0080\u009f\u00a0"), "[\"\\u0080\\u009f\xc2\xa0\"]"}, // NBSP is text
        {QStringLiteral("del\u007f"), R"(["del\u007f"])"},
        {QStringLiteral("Grüße \u00c2\u0085"), "[\"Gr\xc3\xbc\xc3\x9f"
                                               "e \xc3\x82\\u0085\"]"},
        {QStringLiteral("plain\ttext"), R"(["plain\ttext"])"},
    };
    for (const auto& row : rows) {
        const QJsonDocument document(QJsonArray{row.value});
        const QByteArray text = JsonText(document, QJsonDocument::Compact);
        EXPECT_EQ(text, row.written) << row.written.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(text), document) << row.written.toStdString();
    }
}

// Through the real program: a dialog whose answer file carries the
// controls, read by "vora-agent dialog".
TEST(JsonText, AnswerWordsWithC1ControlsReachTheReportEscaped)
{
    TempAgentRoot root;
    const std::string answer = VUAMarkerMgr(std::string("c1")).GetFilePath(MARKER_YES);
    const std::string dialog = root.root() + "/answering-dialog";
    WriteFile(dialog, "#!/bin/sh\nprintf 'yes\\n\\302\\2332J\\302\\2350;x\\007\\n' > '" + answer + "'\n");
    ASSERT_EQ(chmod(dialog.c_str(), 0755), 0);

    QProcess standIn;
    standIn.start(VORA_AGENT_PATH,
                  {"dialog", "--program", QString::fromStdString(dialog), "--", "-name=C1", "-suffix=c1"});
    ASSERT_TRUE(standIn.waitForFinished(60000));
    const QByteArray out = standIn.readAllStandardOutput();
    EXPECT_EQ(standIn.exitCode(), 0) << standIn.readAllStandardError().toStdString();
    EXPECT_FALSE(out.contains("\xc2\x9b")) << out.toStdString();
    EXPECT_FALSE(out.contains("\xc2\x9d")) << out.toStdString();
    EXPECT_TRUE(out.contains(R"("\u009b2J\u009d0;x\u0007")")) << out.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(out).object()["words"].toArray(),
              QJsonArray({"yes", QStringLiteral("\u009b2J\u009d0;x\u0007")}));
}
