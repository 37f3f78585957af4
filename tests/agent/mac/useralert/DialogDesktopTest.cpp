// The dialog on a desktop: readable in light and dark schemes (contrast
// measured on screenshots of the window), a fixed-size dialog to the window
// manager, and what a screen reader is told about each part.
#include "AlertPanel.h"
#include "Contrast.h"
#include "DialogFixture.h"
#include "DisplaySelection.h"
#include "QtPrinters.h"
#include "VUAConfig.h"

#include <QAccessible>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTime>
#include <QTimer>

namespace {

QPalette DarkPalette()
{
    // Adwaita-dark's colours, as Qt's GTK theme hands them over.
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Window, QColor(0x24, 0x24, 0x24));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

// Whether `text` ends with `sentence` telling the time `seconds` after a
// moment between `before` and now: "16:52" in the test's C locale, or
// "16:52:30" for a time-out ten minutes away or nearer. A minute (or
// second) may turn meanwhile.
bool EndsTellingTime(const QString& text, const QString& sentence, int seconds, const QTime& before)
{
    const QString format = seconds <= 600 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm");
    const QTime latest = QTime::currentTime().addSecs(seconds + 1);
    for (QTime at = before.addSecs(seconds - 1); at <= latest; at = at.addSecs(1)) {
        if (text.endsWith(sentence.arg(at.toString(format)))) {
            return true;
        }
    }
    return false;
}

// Sets the application palette for a scope, as a colour scheme does.
class SchemeScope final
{
public:
    explicit SchemeScope(const QPalette& palette) : m_previous(QApplication::palette())
    {
        QApplication::setPalette(palette);
    }
    ~SchemeScope() { QApplication::setPalette(m_previous); }
    SchemeScope(const SchemeScope&) = delete;
    SchemeScope& operator=(const SchemeScope&) = delete;

private:
    QPalette m_previous;
};

struct Scheme
{
    const char* name;
    QPalette palette;
};

// Each text of `widgets` against what lies behind it on a screenshot of
// `window`; `inset` keeps frames and button edges out of the region.
void ExpectReadable(QWidget* window, const std::vector<std::pair<QWidget*, int>>& widgets, const char* scheme)
{
    const QImage shot = window->grab().toImage();
    for (const auto& [widget, inset] : widgets) {
        const QRect region =
            QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()).adjusted(inset, inset, -inset, -inset);
        const DominantColours colours = FindDominantColours(shot, region);
        const std::string what = std::string(scheme) + " " + widget->objectName().toStdString();
        ASSERT_TRUE(colours.text.isValid()) << what << ": no text found";
        EXPECT_GT(colours.textPixels, 10) << what;
        EXPECT_GE(ContrastRatio(colours.text, colours.background), 4.5)
            << what << ": " << colours.text.name().toStdString() << " on "
            << colours.background.name().toStdString();
    }
}

class DialogDesktopTest : public DialogFixture
{
};

} // namespace

TEST_F(DialogDesktopTest, EveryTextIsReadableInLightAndDarkSchemes)
{
    const Scheme schemes[] = {{"light", QApplication::style()->standardPalette()}, {"dark", DarkPalette()}};
    for (const Scheme& scheme : schemes) {
        SchemeScope scope(scheme.palette);
        open({"-name=Updates", "-title=Installing security updates",
              "-multisnoozemessage=PRE7^Editor^Install the editor now^10^^8^Browser^Update it^10"});
        controller->nextBtn()->click(); // page 2 of 2: Back, Continue and the counter
        ASSERT_FALSE(controller->backBtn()->isHidden());
        ExpectReadable(controller->mainWindow(),
                       {{controller->titleTxtFld(), 0},
                        {controller->dateTimeTxtFld(), 0},
                        {controller->messageTxtView(), 3},
                        {controller->timeoutTxtFld(), 0},
                        {controller->pageCounterTxtFld(), 0},
                        {controller->snoozeLabel(), 0},
                        {controller->snoozeOptionsCbo(), 4},
                        {controller->backBtn(), 5},
                        {controller->nextBtn(), 5}},
                       scheme.name);
    }
}

TEST_F(DialogDesktopTest, StartupPanelIsReadableInLightAndDarkSchemes)
{
    const Scheme schemes[] = {{"light", QApplication::style()->standardPalette()}, {"dark", DarkPalette()}};
    for (const Scheme& scheme : schemes) {
        SchemeScope scope(scheme.palette);
        bool measured = false;
        QTimer::singleShot(0, [&] {
            auto* panel = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(panel, nullptr);
            std::vector<std::pair<QWidget*, int>> texts;
            for (const char* name : {"qt_msgbox_label", "qt_msgbox_informativelabel"}) {
                texts.emplace_back(panel->findChild<QLabel*>(name), 0);
            }
            texts.emplace_back(panel->findChild<QPushButton*>("alertPanelButton"), 5);
            ExpectReadable(panel, texts, scheme.name);
            measured = true;
            panel->findChild<QPushButton*>("alertPanelButton")->click();
        });
        RunModalAlert(QStringLiteral("Missing parameters"), QStringLiteral("usage: VUserAlert -name=PKGNAME"),
                      QStringLiteral("OK"));
        EXPECT_TRUE(measured) << scheme.name;
    }
}

// The usage's columns stay columns on the panel: a fixed-pitch font, every
// line whole on one line.
TEST_F(DialogDesktopTest, UsagePanelShowsTheColumnsUnfolded)
{
    const QString usage = QString::fromStdString(BuildUsageString("Unknown parameter."));
    bool measured = false;
    QTimer::singleShot(0, [&] {
        auto* panel = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(panel, nullptr);
        const auto* columns = panel->findChild<QLabel*>("qt_msgbox_informativelabel");
        ASSERT_NE(columns, nullptr);
        EXPECT_TRUE(QFontInfo(columns->font()).fixedPitch()) << columns->font().family().toStdString();
        const QFontMetrics metrics(columns->font());
        for (const QString& line : usage.split('\n')) {
            EXPECT_LE(metrics.horizontalAdvance(line), columns->contentsRect().width()) << line.toStdString();
        }
        EXPECT_LE(columns->height(), metrics.lineSpacing() * (usage.count('\n') + 2));
        measured = true;
        panel->findChild<QPushButton*>("alertPanelButton")->click();
    });
    RunModalAlert(QStringLiteral("Invalid parameter"), usage, QStringLiteral("OK"));
    EXPECT_TRUE(measured);
}

TEST_F(DialogDesktopTest, WindowIsAFixedSizeDialogWithoutMaximise)
{
    open({"-ok", "-fade"});
    const QWidget* window = controller->mainWindow();
    EXPECT_EQ(window->windowType(), Qt::Dialog);
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    // The offscreen platform has window opacity, so the fade runs here.
    EXPECT_TRUE(PlatformHasWindowOpacity());
    EXPECT_TRUE(controller->hasWindowOpacity());
    EXPECT_TRUE(controller->isFadeEnabled());
}

TEST_F(DialogDesktopTest, ScreenReadersGetRolesNamesAndValues)
{
    const QTime before = QTime::currentTime();
    open({"-name=Updates", "-title=Installing",
          "-multisnoozemessage=PRE7^Editor^Install^10^^8^Browser^Update^10^^9^Mail^Set up^10"});
    const auto accessible = [](QObject* object) { return QAccessible::queryAccessibleInterface(object); };

    QAccessibleInterface* window = accessible(controller->mainWindow());
    EXPECT_EQ(window->role(), QAccessible::Dialog);
    EXPECT_EQ(window->text(QAccessible::Name), "Updates");
    // The heading, the message and what the page's time-out will do.
    const QString description = window->text(QAccessible::Description);
    EXPECT_TRUE(description.startsWith("Installing\n * Editor:\nInstall\n")) << description.toStdString();
    EXPECT_TRUE(EndsTellingTime(
        description, "\nIf you do nothing, this dialog goes on to the next page at %1.", 600, before))
        << description.toStdString();
    EXPECT_EQ(accessible(controller->titleTxtFld())->role(), QAccessible::Heading);
    QAccessibleInterface* snooze = accessible(controller->snoozeOptionsCbo());
    EXPECT_EQ(snooze->role(), QAccessible::ComboBox);
    EXPECT_EQ(snooze->text(QAccessible::Name), "Remind me in");
    EXPECT_EQ(snooze->text(QAccessible::Value), "Do not snooze");
    ASSERT_NE(snooze->textInterface(), nullptr);
    EXPECT_EQ(snooze->textInterface()->text(0, snooze->textInterface()->characterCount()), "Do not snooze");

    EXPECT_EQ(accessible(controller->logoBtn())->role(), QAccessible::Graphic);
    EXPECT_EQ(accessible(controller->logoBtn())->text(QAccessible::Name), "Company logo");
    QAccessibleInterface* progress = accessible(controller->progressMeterBtn());
    EXPECT_EQ(progress->role(), QAccessible::ProgressBar);
    EXPECT_TRUE(progress->state().busy);
    EXPECT_EQ(progress->text(QAccessible::Name), "Work in progress");

    QAccessibleInterface* counter = accessible(controller->pageCounterTxtFld());
    EXPECT_EQ(counter->text(QAccessible::Name), "Page 1 of 3");
    controller->nextBtn()->click();
    EXPECT_EQ(counter->text(QAccessible::Name), "Page 2 of 3");
    EXPECT_TRUE(window->text(QAccessible::Description).startsWith("Installing\n * Browser:\nUpdate\n"));
    EXPECT_EQ(accessible(controller->dateTimeTxtFld())->text(QAccessible::Name),
              "Shown at " + controller->dateTimeTxtFld()->text());

    const auto labels = accessible(controller->snoozeOptionsCbo())->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first->text(QAccessible::Name), "Remind me in");
    EXPECT_FALSE(controller->snoozeLabel()->isHidden());

    for (QPushButton* button : {controller->okBtn(), controller->cancelBtn(), controller->snoozeBtn(),
                                controller->yesBtn(), controller->noBtn(), controller->backBtn()}) {
        EXPECT_EQ(accessible(button)->role(), QAccessible::Button);
        EXPECT_FALSE(accessible(button)->text(QAccessible::Name).isEmpty())
            << button->objectName().toStdString();
    }
}

// What the pending time-out will do: the description's last sentence, and
// the same words on screen in a line under the message.
TEST_F(DialogDesktopTest, TimeOutIsToldOnScreenAndToScreenReaders)
{
    struct Case
    {
        QStringList options;
        QString sentence;
        int seconds;
    };
    const Case cases[] = {
        {{"-yesno", "-default=yes", "-timeout=600"},
         "If you do nothing, this dialog answers Yes at %1.",
         600},
        {{"-yesno", "-default=no", "-timeout=600"}, "If you do nothing, this dialog answers No at %1.", 600},
        {{"-ok", "-snooze", "-default=snooze", "-timeout=600"},
         "If you do nothing, this dialog answers Snooze at %1.",
         600},
        {{"-ok", "-timeout=600"}, "If you do nothing, this dialog closes at %1.", 600},
        {{"-yesno", "-default=yes", "-timeout=30"}, "If you do nothing, this dialog answers Yes at %1.", 30},
        {{"-multimessage=PRE7^Editor^Install^10"},
         "If you do nothing, this dialog answers Continue at %1.",
         600},
        {{"-multisnoozemessage=PRE7^Editor^a^2^^8^Browser^b^20"},
         "If you do nothing, this dialog goes on to the next page at %1.",
         120},
    };
    const QRect messageAlone(135, 68, 345, 184);
    const QRect underMessage(20, 68, 460, 184); // from the logo's left edge to the message's right one
    for (const auto& [options, sentence, seconds] : cases) {
        const QTime before = QTime::currentTime();
        open(options);
        const std::string what = options.join(' ').toStdString();
        const QString description = controller->mainWindow()->accessibleDescription();
        EXPECT_TRUE(EndsTellingTime(description, "\n" + sentence, seconds, before))
            << description.toStdString();
        const QLabel* line = controller->timeoutTxtFld();
        EXPECT_TRUE(line->isVisible()) << what;
        EXPECT_TRUE(EndsTellingTime(line->text(), sentence, seconds, before)) << line->text().toStdString();
        EXPECT_TRUE(description.endsWith(line->text())) << what;
        // Under the message, on one line that ends with the message's right
        // edge, whole, above the rows below (which keep their places).
        const QRect message = controller->messageView()->geometry();
        EXPECT_LT(message.bottom(), line->geometry().top()) << what;
        EXPECT_TRUE(underMessage.contains(line->geometry())) << what;
        EXPECT_LE(line->geometry().right(), message.right()) << what;
        EXPECT_GE(line->geometry().right(), message.right() - 4) << what;
        EXPECT_GE(line->width(), line->fontMetrics().horizontalAdvance(line->text())) << what;
        EXPECT_LT(line->height(), 2 * line->fontMetrics().lineSpacing()) << what;
        EXPECT_EQ(message.top(), messageAlone.top()) << what;
    }
    // The page's own time-out: the second page of 20 minutes is told to the
    // minute, the last page's sentence is its answer.
    QTime before = QTime::currentTime();
    controller->nextBtnClicked();
    EXPECT_TRUE(EndsTellingTime(controller->timeoutTxtFld()->text(),
                                "If you do nothing, this dialog answers Continue at %1.", 1200, before))
        << controller->timeoutTxtFld()->text().toStdString();

    // Told to the minute while more than ten minutes away, to the second
    // from then on.
    before = QTime::currentTime();
    open({"-yesno", "-default=yes", "-timeout=602"});
    EXPECT_TRUE(EndsTellingTime(controller->timeoutTxtFld()->text(),
                                "If you do nothing, this dialog answers Yes at %1.", 602, before));
    const QRegularExpression toTheSecond(QStringLiteral(" at \\d\\d:\\d\\d:\\d\\d\\.$"));
    EXPECT_TRUE(
        WaitUntil([&] { return toTheSecond.match(controller->timeoutTxtFld()->text()).hasMatch(); }, 10000))
        << controller->timeoutTxtFld()->text().toStdString();
    EXPECT_TRUE(toTheSecond.match(controller->mainWindow()->accessibleDescription()).hasMatch());

    // Without a time-out the dialog waits a day: nothing to tell, and the
    // message has its whole room.
    open({"-yesno", "-default=yes"});
    EXPECT_FALSE(controller->mainWindow()->accessibleDescription().contains("If you do nothing"));
    EXPECT_FALSE(controller->timeoutTxtFld()->isVisible());
    EXPECT_EQ(controller->messageView()->geometry(), messageAlone);
    // SETTIMEOUT moves the time; the sentence and the line follow.
    before = QTime::currentTime();
    controller->startTimedoutTimer(3600);
    EXPECT_TRUE(EndsTellingTime(controller->mainWindow()->accessibleDescription(),
                                "\nIf you do nothing, this dialog answers Yes at %1.", 3600, before));
    EXPECT_TRUE(EndsTellingTime(controller->timeoutTxtFld()->text(),
                                "If you do nothing, this dialog answers Yes at %1.", 3600, before));
    EXPECT_TRUE(controller->timeoutTxtFld()->isVisible());
}

TEST_F(DialogDesktopTest, SnoozeLabelComesAndGoesWithTheList)
{
    open({"-ok"});
    EXPECT_TRUE(controller->snoozeOptionsCbo()->isHidden());
    EXPECT_TRUE(controller->snoozeLabel()->isHidden());
    open({"-multisnoozemessage=PRE7^a^b"});
    EXPECT_FALSE(controller->snoozeLabel()->isHidden());
    EXPECT_EQ(controller->snoozeLabel()->buddy(), controller->snoozeOptionsCbo());
    controller->snoozeOptionsCbo()->hide();
    EXPECT_TRUE(controller->snoozeLabel()->isHidden());
}
