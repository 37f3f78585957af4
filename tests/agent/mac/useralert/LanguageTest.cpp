// A German user (LANG=de_DE.UTF-8, LANGUAGE=de, set by main below before
// the application starts): the dialog's tables and Qt's own follow. Then
// every language the dialog carries: its table is the one a user of that
// locale gets, and every text it shows fits the widget that shows it.
#include "DialogFixture.h"
#include "StringTables.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTranslator>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>

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

// A title wider than its line at 13 pt shrinks until it fits; one too wide
// even at the smallest size ends in "…", whole in the tool tip and for
// screen readers.
TEST_F(LanguageTest, TitleShrinksToItsLineAndEndsInAnEllipsisPastIt)
{
    open({"-title=Neustart"});
    EXPECT_EQ(controller->titleTxtFld()->font().pointSize(), 13);

    const QString longer = QStringLiteral("Neustart zum Abschließen aller Updates");
    open({"-title=" + longer});
    const QLabel* title = controller->titleTxtFld();
    EXPECT_EQ(title->text().toStdString(), longer.toStdString());
    EXPECT_LT(title->font().pointSize(), 13);
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(title->toolTip().toStdString(), "");

    const QString longest = QStringLiteral("Wartungsfenster ").repeated(12).trimmed();
    open({"-title=" + longest});
    title = controller->titleTxtFld();
    EXPECT_TRUE(title->text().endsWith(QChar(0x2026))) << title->text().toStdString();
    EXPECT_EQ(title->font().pointSize(), kTitleSmallestPointSize);
    EXPECT_EQ(title->toolTip().toStdString(), longest.toStdString());
    EXPECT_EQ(title->accessibleName().toStdString(), longest.toStdString());
    EXPECT_TRUE(controller->mainWindow()->accessibleDescription().startsWith(longest));
}

namespace {

struct Language
{
    const char* locale; // as LANG names it, without the encoding
    const char* back;   // its "Back" button: which table answered
    bool qtTexts;       // Debian has Qt's own texts in it (none in Swedish)
};

void PrintTo(const Language& language, std::ostream* out)
{
    *out << language.locale;
}

// Every table, and countries that take their language's table.
const Language kLanguages[] = {
    {"en_US", "Back", false},     {"de_DE", "Zurück", true},    {"fr_FR", "Précédent", true},
    {"es_ES", "Atrás", true},     {"ja_JP", "戻る", true},      {"it_IT", "Indietro", true},
    {"pt_BR", "Voltar", true},    {"nl_NL", "Vorige", true},    {"pl_PL", "Wstecz", true},
    {"sv_SE", "Tillbaka", false}, {"zh_CN", "上一步", true},    {"ko_KR", "이전", true},
    {"de_AT", "Zurück", true},    {"sv_FI", "Tillbaka", false},
};

// The dialog in each state that shows other texts: every button title, the
// snooze label and choices, a last page (Continue or Finish), and each
// title the agent writes as a token.
const QStringList kDialogs[] = {
    {"-yesno"},
    {"-ok", "-snooze", "-cancel"},
    {"-multisnoozemessage=PRE1^a^b^^2^c^d"},
    {"-multimessage=PST1^a^b^^2^c^d"},
    {"-title=@(title_vdeploy_fs)"},
    {"-title=@(title_patchingreboot)"},
    {"-title=@(title_patchingreboot2)"},
    {"-title=@(title_desktopalert)"},
    {"-title=@(title_patching)"},
    {"-title=@(title_appcontrol)"},
};

void RemoveStringTables()
{
    for (QTranslator* table : qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(table);
        delete table;
    }
}

// How much room a text takes in a font, laid out as Qt paints it (fallback
// fonts included: a Korean title in a Latin font is drawn in a Hangul one),
// wrapped at `width` when `wrap`; a word longer than `width` overflows it.
struct TextRoom
{
    QSizeF size;
    bool everyGlyph = true; // false: some character has no font and shows as a box
};

TextRoom Room(const QString& text, const QFont& font, qreal width, bool wrap)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout.setTextOption(option);
    TextRoom room;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        room.size.rwidth() = std::max(room.size.width(), line.naturalTextWidth());
        room.size.rheight() += line.height();
    }
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> glyphs = run.glyphIndexes();
        room.everyGlyph = room.everyGlyph && !glyphs.contains(0);
    }
    return room;
}

// What a widget cannot show of its text, empty when it shows all of it:
// "titleTxtFld: "…" needs 402x21, has 345x26".
std::string Cut(const QString& text, const QSizeF& needed, const QSize& has, const QWidget& widget)
{
    if (needed.width() <= has.width() && needed.height() <= has.height()) {
        return {};
    }
    return QStringLiteral("%1: \"%2\" needs %3x%4, has %5x%6")
        .arg(widget.objectName(), text)
        .arg(std::ceil(needed.width()))
        .arg(std::ceil(needed.height()))
        .arg(has.width())
        .arg(has.height())
        .toStdString();
}

void ExpectGlyphs(const TextRoom& room, const QString& text, const QWidget& widget)
{
    EXPECT_TRUE(room.everyGlyph) << widget.objectName().toStdString() << ": \"" << text.toStdString()
                                 << "\" has characters no installed font draws";
}

void ExpectFits(const QLabel& label)
{
    const QRect area = label.contentsRect();
    const TextRoom room = Room(label.text(), label.font(), area.width(), label.wordWrap());
    ExpectGlyphs(room, label.text(), label);
    EXPECT_EQ(Cut(label.text(), room.size, area.size(), label), "");
}

// The style's own measure of a button: its text, the frame and the margins
// it draws around them.
void ExpectFits(const QPushButton& button)
{
    ExpectGlyphs(Room(button.text(), button.font(), button.width(), false), button.text(), button);
    EXPECT_EQ(Cut(button.text(), button.sizeHint(), button.size(), button), "");
}

// Each choice in the part of the box the style paints its text in.
void ExpectFits(const QComboBox& box)
{
    QStyleOptionComboBox option;
    option.initFrom(&box);
    option.frame = box.hasFrame();
    option.subControls = QStyle::SC_All;
    const QRect field =
        box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box);
    for (int index = 0; index < box.count(); ++index) {
        const TextRoom room = Room(box.itemText(index), box.font(), field.width(), false);
        ExpectGlyphs(room, box.itemText(index), box);
        EXPECT_EQ(Cut(box.itemText(index), room.size, field.size(), box), "");
    }
}

// Every text the window shows now; returns how many widgets were checked.
int ExpectEveryTextFits(const QWidget& window)
{
    int checked = 0;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&window) && !label->text().isEmpty()) {
            ExpectFits(*label);
            ++checked;
        }
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->isVisibleTo(&window) && !button->text().isEmpty()) { // not the logo, not the meter
            ExpectFits(*button);
            ++checked;
        }
    }
    for (const QComboBox* box : window.findChildren<QComboBox*>()) {
        if (box->isVisibleTo(&window)) {
            ExpectFits(*box);
            ++checked;
        }
    }
    return checked;
}

class LanguageLayoutTest : public DialogFixture, public ::testing::WithParamInterface<Language>
{
protected:
    void SetUp() override
    {
        RemoveStringTables();
        QLocale::setDefault(QLocale(QString::fromLatin1(GetParam().locale)));
        InstallStringTables(*qApp, QStringLiteral("VUserAlert"));
    }

    // Back to the user's language of main, for the tests after this one.
    void TearDown() override
    {
        RemoveStringTables();
        QLocale::setDefault(QLocale::system());
        InstallStringTables(*qApp, QStringLiteral("VUserAlert"));
    }
};

} // namespace

TEST_P(LanguageLayoutTest, LocaleGetsItsTableAndQtsOwn)
{
    EXPECT_EQ(qtTrId("BUTTON_BACK").toStdString(), GetParam().back);
    const QString selectAll = QCoreApplication::translate("QWidgetTextControl", "Select All");
    EXPECT_EQ(selectAll != QLatin1String("Select All"), GetParam().qtTexts) << selectAll.toStdString();
}

TEST_P(LanguageLayoutTest, EveryShownTextFitsItsWidget)
{
    for (const QStringList& options : kDialogs) {
        SCOPED_TRACE(options.join(' ').toStdString());
        open(options);
        QWidget& window = *controller->mainWindow();
        EXPECT_GE(ExpectEveryTextFits(window), 3); // a title, the time shown, a button at least
        if (controller->nextBtn()->isVisible()) {
            controller->nextBtn()->click(); // the last page: Back, and Continue or Finish
            ASSERT_TRUE(controller->backBtn()->isVisible());
            ExpectEveryTextFits(window);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, LanguageLayoutTest, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return std::string(info.param.locale);
                         });

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
