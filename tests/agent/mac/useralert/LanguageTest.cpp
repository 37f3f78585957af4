// A German user (LANG=de_DE.UTF-8, LANGUAGE=de, set by main below before
// the application starts): the dialog's tables and Qt's own follow.
#include "DialogFixture.h"
#include "StringTables.h"

#include <QAction>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTextBrowser>

#include <cstdlib>

namespace {

int g_tablesInstalled = 0;

class LanguageTest : public DialogFixture
{
};

QStringList ActionTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            texts << action->text().section(QLatin1Char('\t'), 0, 0); // no shortcut
        }
    }
    return texts;
}

} // namespace

TEST_F(LanguageTest, MessageContextMenuReadsGerman)
{
    ASSERT_EQ(QLocale().language(), QLocale::German);
    EXPECT_EQ(g_tablesInstalled, 3); // English, German, Qt's German
    open({"-yesno", "-message=Jetzt installieren?"});
    EXPECT_EQ(controller->yesBtn()->text(), "Ja");
    const std::unique_ptr<QMenu> menu(controller->messageTxtView()->createStandardContextMenu());
    const QStringList texts = ActionTexts(*menu);
    EXPECT_TRUE(texts.contains("&Kopieren")) << texts.join(", ").toStdString();
    EXPECT_TRUE(texts.contains("Alles auswählen")) << texts.join(", ").toStdString();
    EXPECT_FALSE(texts.contains("Select All"));
}

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    setenv("LANGUAGE", "de", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    g_tablesInstalled = InstallStringTables(application, QStringLiteral("VUserAlert"));
    return RUN_ALL_TESTS();
}
