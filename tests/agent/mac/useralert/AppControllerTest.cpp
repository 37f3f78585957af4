#include "AppController.h"
#include "FileHelpers.h"
#include "GradientView.h"
#include "MessageTokens.h"
#include "QtPrinters.h"
#include "TempAgentRoot.h"
#include "VUAMarkerMgr.h"
#include "VuaAPI.h"
#include "VuaAPIOpaque.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>

namespace {

class AppControllerTest : public ::testing::Test
{
protected:
    // A dialog started with `options`, window shown, answer wait shortened.
    void open(QStringList options, const std::string& config = "companyname=Acme\n")
    {
        root.writeConfig(config);
        options.prepend(QStringLiteral("/opt/vora/bin/VUserAlert"));
        controller = std::make_unique<AppController>(options);
        controller->awakeFromNib();
        ASSERT_FALSE(controller->isTerminating());
        controller->vuaApi()->setTeardownWait(std::chrono::milliseconds(0));
        controller->mainWindow()->show();
        agent = std::make_unique<VUAMarkerMgr>(controller->vuaApi()->cpp()->markerMgr.suffix());
    }

    bool closed() const { return !controller->mainWindow()->isVisible(); }
    bool present(VUA_MarkerType type) const { return PathExists(agent->GetFilePath(type)); }
    std::string content(VUA_MarkerType type) const { return ReadFile(agent->GetFilePath(type)); }
    void poll() { controller->checkForUpdates(controller->checkCommandsTimer()); }

    // Names of the buttons shown, left to right, with their left edges.
    std::vector<std::pair<std::string, int>> buttonRow() const
    {
        std::vector<std::pair<std::string, int>> row;
        for (QPushButton* button :
             {controller->okBtn(), controller->cancelBtn(), controller->snoozeBtn(), controller->yesBtn(),
              controller->noBtn(), controller->backBtn(), controller->nextBtn()}) {
            if (!button->isHidden()) {
                row.emplace_back(button->objectName().toStdString(), button->geometry().x());
            }
        }
        std::sort(row.begin(), row.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        return row;
    }

    TempAgentRoot root;
    std::unique_ptr<AppController> controller;
    std::unique_ptr<VUAMarkerMgr> agent;
};

using Row = std::vector<std::pair<std::string, int>>;

} // namespace

TEST_F(AppControllerTest, ButtonRowForEveryCombination)
{
    const std::pair<QStringList, Row> cases[] = {
        {{"-name=x"}, {{"okBtn", 200}}},
        {{"-cancel"}, {}},
        {{"-nobuttons"}, {}},
        {{"-yesno"}, {{"yesBtn", 145}, {"noBtn", 255}}},
        {{"-yesno", "-cancel"}, {{"yesBtn", 145}, {"noBtn", 255}}},
        {{"-ok", "-cancel"}, {{"okBtn", 145}, {"cancelBtn", 255}}},
        {{"-ok", "-snooze"}, {{"okBtn", 145}, {"snoozeBtn", 255}}},
        {{"-ok", "-snooze", "-cancel"}, {{"okBtn", 90}, {"snoozeBtn", 200}, {"cancelBtn", 310}}},
        {{"-multimessage=PRE1^a^b^^2^c^d", "-yesno"}, {{"nextBtn", 255}}}, // Back hidden on page 1
    };
    for (const auto& [options, expected] : cases) {
        open(options);
        EXPECT_EQ(buttonRow(), expected) << options.join(' ').toStdString();
        for (QPushButton* button : {controller->okBtn(), controller->yesBtn(), controller->nextBtn()}) {
            if (!button->isHidden()) {
                // 15 px above the bottom of the 340 px view, 100 x 32.
                EXPECT_EQ(button->geometry(), QRect(button->geometry().x(), 340 - 15 - 32, 100, 32));
                EXPECT_EQ(button->font().pointSize(), 10);
                EXPECT_EQ(button->accessibleName(), button->text());
                EXPECT_FALSE(button->text().isEmpty());
            }
        }
    }
}

TEST_F(AppControllerTest, ButtonsCarryTheirLocalizedTitles)
{
    open({"-ok", "-snooze", "-cancel"});
    EXPECT_EQ(controller->okBtn()->text(), "OK");
    EXPECT_EQ(controller->snoozeBtn()->text(), "Snooze");
    EXPECT_EQ(controller->cancelBtn()->text(), "Cancel");
    EXPECT_EQ(controller->yesBtn()->text(), "Yes"); // titled even when hidden
    EXPECT_EQ(controller->cancelBtn()->accessibleName(), "Cancel");
    EXPECT_EQ(controller->messageTxtView()->accessibleName(), "Message");
}

TEST_F(AppControllerTest, ShowOkAddsTheCentredOkButton)
{
    open({"-cancel"});
    EXPECT_TRUE(buttonRow().empty());
    agent->Write(MARKER_SHOWOK);
    poll();
    EXPECT_EQ(buttonRow(), (Row{{"okBtn", 200}}));
    EXPECT_FALSE(present(MARKER_SHOWOK));

    controller->okBtn()->click();
    EXPECT_TRUE(closed());
    EXPECT_EQ(controller->exitState()->exitVal(), kCloseOk);
    for (const VUA_MarkerType answer : {MARKER_YES, MARKER_CANCEL, MARKER_SNOOZE, MARKER_CONTINUE}) {
        EXPECT_FALSE(present(answer));
    }
}

TEST_F(AppControllerTest, EveryButtonLeavesItsAnswer)
{
    const std::tuple<QStringList, QPushButton* (AppController::*)() const, int, VUA_MarkerType> cases[] = {
        {{"-yesno"}, &AppController::yesBtn, kCloseYes, MARKER_YES},
        {{"-yesno"}, &AppController::noBtn, kCloseNo, MARKER_NONE},
        {{"-ok", "-cancel"}, &AppController::cancelBtn, kCloseCancel, MARKER_CANCEL},
        {{"-ok", "-snooze"}, &AppController::snoozeBtn, kCloseSnooze, MARKER_SNOOZE},
    };
    for (const auto& [options, button, reason, marker] : cases) {
        open(options);
        (controller.get()->*button)()->click();
        EXPECT_TRUE(closed());
        EXPECT_EQ(controller->exitState()->exitVal(), reason);
        if (marker != MARKER_NONE) {
            EXPECT_TRUE(present(marker)) << reason;
        }
        EXPECT_FALSE(PathExists(controller->snoozeFilename().toStdString()) && marker != MARKER_SNOOZE);
        agent->DeleteAll();
    }
}

TEST_F(AppControllerTest, TitleBarCloseButtonAnswersNothing)
{
    open({"-yesno", "-default=yes"});
    controller->mainWindow()->close();
    EXPECT_TRUE(controller->mainWindow()->isVisible()); // the close is turned into an answer first
    ASSERT_TRUE(WaitUntil([&] { return closed(); }));
    EXPECT_EQ(controller->exitState()->exitVal(), kCloseWindowButton);
    EXPECT_FALSE(present(MARKER_YES));
}

TEST_F(AppControllerTest, PagingCountersAndButtonTitles)
{
    open({"-multimessage=PRE1^Editor^Install^10^^2^Browser^Update^10^^3^Mail^Configure^10"});
    EXPECT_EQ(controller->choices(), 3);
    EXPECT_EQ(controller->pageCounterTxtFld()->text(), "1 / 3");
    EXPECT_TRUE(controller->backBtn()->isHidden());
    EXPECT_EQ(controller->nextBtn()->text(), "Next");
    EXPECT_EQ(controller->messageText(), " * Editor:\nInstall");

    controller->nextBtn()->click();
    EXPECT_EQ(controller->pageCounterTxtFld()->text(), "2 / 3");
    EXPECT_FALSE(controller->backBtn()->isHidden());
    EXPECT_EQ(controller->nextBtn()->text(), "Next");

    controller->nextBtn()->click();
    EXPECT_EQ(controller->pageCounterTxtFld()->text(), "3 / 3");
    EXPECT_EQ(controller->nextBtn()->text(), "Continue");
    EXPECT_EQ(controller->messageText(), " * Mail:\nConfigure");

    controller->backBtn()->click();
    EXPECT_EQ(controller->pageCounterTxtFld()->text(), "2 / 3");
    controller->nextBtn()->click();
    controller->nextBtn()->click(); // Continue on the last page
    EXPECT_TRUE(closed());
    EXPECT_EQ(controller->exitState()->exitVal(), kCloseLastPage);
    EXPECT_EQ(ReadFile(controller->snoozeFilename().toStdString()), "1:0F,2:0F,3:0F");
    EXPECT_FALSE(present(MARKER_CONTINUE));

    open({"-multimessage=PST1^a^b^^2^c^d^^3^e^f"});
    controller->nextBtn()->click();
    controller->nextBtn()->click();
    EXPECT_EQ(controller->nextBtn()->text(), "Finish");

    open({"-multimessage=PRE1^Only^page"});
    EXPECT_TRUE(controller->pageCounterTxtFld()->isHidden());
    EXPECT_TRUE(controller->backBtn()->isHidden());
    EXPECT_EQ(controller->nextBtn()->text(), "Continue");
    open({"-multimessage=PST1^Only^page"});
    EXPECT_EQ(controller->nextBtn()->text(), "Finish");
}

TEST_F(AppControllerTest, SnoozeChoicesSurviveBackAndNextAndReachTheFile)
{
    open({"-multisnoozemessage=PRE7^Editor^Install^10^^8^Browser^Update^10^^9^Mail^Set up^10"});
    QComboBox* snooze = controller->snoozeOptionsCbo();
    EXPECT_FALSE(snooze->isHidden());
    ASSERT_EQ(snooze->count(), 6);
    EXPECT_EQ(snooze->itemText(0), "Do not snooze");
    EXPECT_EQ(snooze->itemText(5), "8 hours");
    EXPECT_EQ(snooze->currentIndex(), 0);

    snooze->setCurrentIndex(1);
    controller->nextBtn()->click();
    EXPECT_EQ(snooze->currentIndex(), 0);
    snooze->setCurrentIndex(4);
    controller->backBtn()->click();
    EXPECT_EQ(snooze->currentIndex(), 1);
    controller->nextBtn()->click();
    EXPECT_EQ(snooze->currentIndex(), 4);
    controller->nextBtn()->click();
    snooze->setCurrentIndex(-1); // nothing selected on the last page
    controller->nextBtn()->click();

    EXPECT_TRUE(closed());
    EXPECT_EQ(ReadFile(controller->snoozeFilename().toStdString()), "7:1F,8:4F,9:-1F");
}

TEST_F(AppControllerTest, ExitMarkerWritesChoicesWithoutTheUnconfirmedPage)
{
    open({"-multisnoozemessage=PRE7^a^b^^8^c^d"});
    controller->snoozeOptionsCbo()->setCurrentIndex(3); // chosen but not confirmed by Back or Next
    agent->Write(MARKER_EXIT);
    poll();
    EXPECT_TRUE(closed());
    EXPECT_EQ(controller->exitState()->exitVal(), kCloseExitMarker);
    EXPECT_EQ(ReadFile(controller->snoozeFilename().toStdString()), "7:0F,8:0F");
    EXPECT_EQ(controller->checkCommandsTimer(), nullptr);
}

TEST_F(AppControllerTest, PageTimeoutsOfZeroOrLessFireAtOnceAndCloseFromTheLastPage)
{
    open({"-multimessage=PRE7^a^b^-1^^8^c^d^-1", "-default=yes"});
    ASSERT_TRUE(WaitUntil([&] { return closed(); }));
    EXPECT_EQ(controller->exitState()->exitVal(), kCloseLastPage);
    EXPECT_TRUE(controller->exitState()->isTimedOut());
    EXPECT_TRUE(controller->messageChunks().at(1).isTimedOut());
    EXPECT_EQ(ReadFile(controller->snoozeFilename().toStdString()), "7:0T,8:0T");
    EXPECT_EQ(content(MARKER_YES), "yes\n");
}

TEST_F(AppControllerTest, PageShownAgainThroughBackLosesItsTimeoutFlag)
{
    open({"-multimessage=PRE7^a^b^10^^8^c^d^10"});
    controller->timedOut(controller->timedOutTimer()); // page 1 times out: on to page 2
    EXPECT_EQ(controller->currentChoice(), 1);
    EXPECT_TRUE(controller->messageChunks().at(0).isTimedOut());
    controller->backBtn()->click();
    EXPECT_FALSE(controller->messageChunks().at(0).isTimedOut());
    controller->nextBtn()->click();
    controller->nextBtn()->click();
    EXPECT_EQ(ReadFile(controller->snoozeFilename().toStdString()), "7:0F,8:0F");
}

TEST_F(AppControllerTest, SingleMessageTimeoutAnswersByTheDefaultButton)
{
    open({"-ok", "-snooze", "-default=snooze", "-timeout=600"});
    EXPECT_EQ(controller->timedOutTimer()->interval(), 600000);
    agent->Write(MARKER_SETTIMEOUT, "-1"); // ignored
    QTimer* running = controller->timedOutTimer();
    poll();
    EXPECT_EQ(controller->timedOutTimer(), running);

    agent->Write(MARKER_SETTIMEOUT, "30");
    poll();
    EXPECT_EQ(controller->timedOutTimer()->interval(), 30000);
    agent->Write(MARKER_SETTIMEOUT, "0");
    poll();
    ASSERT_TRUE(WaitUntil([&] { return closed(); }));
    EXPECT_EQ(controller->exitState()->exitVal(), kCloseTimedOut);
    EXPECT_EQ(content(MARKER_SNOOZE), "snooze\n");

    open({"-ok", "-timeout=0"});
    EXPECT_EQ(controller->timedOutTimer()->interval(), 86400000);
}

TEST_F(AppControllerTest, ExitTogetherWithMessageShowsTheMessageThenCloses)
{
    open({"-ok", "-message=Working"});
    EXPECT_EQ(controller->messageText(), " * Working");
    agent->Write(MARKER_MESG, "Done");
    agent->Write(MARKER_EXIT);
    agent->Write(MARKER_SHOWOK);
    poll();
    EXPECT_EQ(controller->messageText(), " * Done");
    EXPECT_TRUE(closed());
    EXPECT_EQ(controller->exitState()->exitVal(), kCloseExitMarker);
    EXPECT_FALSE(present(MARKER_EXIT));
    EXPECT_FALSE(present(MARKER_MESG));
    EXPECT_TRUE(present(MARKER_SHOWOK)); // commands of that poll are not looked at
}

TEST_F(AppControllerTest, MessagesAppendReplaceExpandAndLink)
{
    open({"-ok", "-message=First"});
    agent->Write(MARKER_APND);
    agent->Write(MARKER_MESG, "See https://help.example.com/kb.");
    poll();
    EXPECT_EQ(controller->messageText(), " * First\n * See https://help.example.com/kb.");
    bool linked = false;
    for (QTextBlock block = controller->messageTxtView()->document()->begin(); block.isValid();
         block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().charFormat().anchorHref() == "https://help.example.com/kb") {
                linked = fragment.fragment().text() == "https://help.example.com/kb";
            }
        }
    }
    EXPECT_TRUE(linked);

    agent->Write(MARKER_MESG, "@(Downloading) Editor");
    poll();
    EXPECT_EQ(controller->messageText(), " * Downloading Editor");
    EXPECT_FALSE(controller->messageView()->isHidden());

    // Streamed progress past the 20 000 characters shown: the newest line
    // stays, the oldest go from a line start, marked with an ellipsis.
    for (int percent = 4; percent <= 100; percent += 4) {
        agent->Write(MARKER_APND);
        agent->Write(MARKER_MESG, std::string(900, 'x') + " " + std::to_string(percent) + " %");
        poll();
    }
    const QString text = controller->messageText();
    EXPECT_LE(text.size(), kMaxShownCharacters);
    EXPECT_TRUE(text.startsWith(QStringLiteral("\u2026\n * xxx"))) << text.left(20).toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral(" 100 %"))) << text.right(20).toStdString();
}

// A long message is read from its start: it opens at its top, and text
// appended meanwhile moves the view only for a user reading the end.
TEST_F(AppControllerTest, LongMessagesOpenAtTheTopAndAppendsFollowOnlyAReaderAtTheEnd)
{
    // Exactly as long as the bound: shown whole, after the dialog's " * ".
    std::string words;
    while (words.size() < static_cast<size_t>(kMaxShownCharacters) - 4) {
        words += "word ";
    }
    words.resize(static_cast<size_t>(kMaxShownCharacters) - 4);
    words += " END";
    open({"-ok", "-message=" + QString::fromStdString(words)});
    EXPECT_EQ(controller->messageText(), " * " + QString::fromStdString(words));
    QScrollBar* scroll = controller->messageTxtView()->verticalScrollBar();
    const auto settled = [&] {
        QTest::qWait(100); // the text is laid out in steps on the event loop
        return scroll->value();
    };
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(settled(), 0);

    const struct
    {
        const char* what;
        int place; // where the user scrolled to; kMessageEnd: the end
        bool append;
    } cases[] = {{"a new message", kMessageEnd, false},
                 {"an append under a reader in the middle", 300, true},
                 {"an append under a reader at the end", kMessageEnd, true}};
    for (const auto& step : cases) {
        scroll->setValue(step.place);
        if (step.append) {
            agent->Write(MARKER_APND);
        }
        agent->Write(MARKER_MESG, words + " (" + step.what + ")");
        poll();
        const int shown = settled();
        EXPECT_EQ(shown, !step.append ? 0 : std::min(step.place, scroll->maximum())) << step.what;
    }
    EXPECT_TRUE(controller->messageText().endsWith("(an append under a reader at the end)"));
}

TEST_F(AppControllerTest, TokensCompanyNameAndUnknownTokens)
{
    open({"-name=@(name_desktopalert)", "-title=@(nothing known)", "-message=@(bogus) and @(Completed)"});
    EXPECT_EQ(controller->mainWindow()->windowTitle(), "Acme Desktop Alert");
    EXPECT_EQ(controller->titleTxtFld()->text(), "@(nothing known)");
    EXPECT_EQ(controller->messageText(), " * @(bogus) and Completed");

    EXPECT_EQ(controller->expandTokens("no tokens"), "no tokens");
    EXPECT_EQ(controller->expandTokens("@(unknown)"), std::nullopt);
    EXPECT_EQ(controller->expandTokens("@(Installing)@(Installing)"), "InstallingInstalling");
    EXPECT_EQ(controller->expandToken("abc", "@(x)", "TOKEN_FS_INSTALLING"), std::nullopt);

    // Every token has a text of its own.
    for (const MessageToken& token : kMessageTokens) {
        const auto expanded = controller->expandTokens(QString::fromLatin1(token.token));
        ASSERT_TRUE(expanded.has_value()) << token.token;
        EXPECT_FALSE(expanded->contains("@(")) << token.token;
        EXPECT_NE(*expanded, QString::fromLatin1(token.key)) << token.token;
    }

    open({"-name=@(name_desktopalert)"}, "debug=no\n");
    EXPECT_EQ(controller->mainWindow()->windowTitle(), "VORA Desktop Alert");
}

TEST_F(AppControllerTest, FinishTurnsAVisibleContinueIntoFinish)
{
    open({"-ok"});
    agent->Write(MARKER_FINISH);
    poll();
    EXPECT_FALSE(present(MARKER_FINISH));
    EXPECT_TRUE(controller->nextBtn()->isHidden());
    EXPECT_NE(controller->nextBtn()->text(), "Finish");

    open({"-multimessage=PRE1^a^b"});
    EXPECT_EQ(controller->nextBtn()->text(), "Continue");
    agent->Write(MARKER_FINISH);
    poll();
    EXPECT_EQ(controller->nextBtn()->text(), "Finish");
}

TEST_F(AppControllerTest, ProgressAnimationCyclesEightImages)
{
    open({"-ok"});
    ASSERT_EQ(controller->progressBmps().size(), 8);
    for (const QPixmap& frame : controller->progressBmps()) {
        EXPECT_FALSE(frame.isNull());
    }
    EXPECT_TRUE(controller->progressMeterBtn()->isHidden());
    agent->Write(MARKER_PROGON);
    poll();
    EXPECT_FALSE(controller->progressMeterBtn()->isHidden());
    ASSERT_NE(controller->progressTimer(), nullptr);
    EXPECT_EQ(controller->progressTimer()->interval(), 200);
    for (int tick = 1; tick <= 9; ++tick) {
        controller->progress(controller->progressTimer());
        EXPECT_EQ(controller->currentProgressBmp(), tick % 8);
    }
    agent->Write(MARKER_PROGON);
    poll();
    // Restarted: no image until the first tick, which shows the second.
    EXPECT_EQ(controller->currentProgressBmp(), 0);
    EXPECT_TRUE(controller->progressMeterBtn()->icon().isNull());
    controller->progress(controller->progressTimer());
    EXPECT_EQ(controller->progressMeterBtn()->icon().pixmap(100, 20).toImage(),
              controller->progressBmps().at(1).toImage());
    agent->Write(MARKER_PROGOFF);
    poll();
    EXPECT_EQ(controller->progressTimer(), nullptr);
    EXPECT_TRUE(controller->progressMeterBtn()->isHidden());
}

TEST_F(AppControllerTest, FadeInAndOutInOpacitySteps)
{
    open({"-ok", "-cancel", "-snooze", "-fade"});
    EXPECT_TRUE(controller->isFadeEnabled());
    EXPECT_DOUBLE_EQ(controller->mainWindow()->windowOpacity(), 0.0);
    ASSERT_NE(controller->fadeInTimer(), nullptr);
    EXPECT_EQ(controller->fadeInTimer()->interval(), 15);
    for (int tick = 1; tick <= 16; ++tick) {
        ASSERT_NE(controller->fadeInTimer(), nullptr) << tick;
        controller->fadeIn(controller->fadeInTimer());
        EXPECT_EQ(controller->currentOpacity(), std::min(15 * tick, 240));
    }
    EXPECT_EQ(controller->fadeInTimer(), nullptr);
    EXPECT_NEAR(controller->mainWindow()->windowOpacity(), 240 / 255.0, 0.01);

    // Cancel, then Snooze during the fade-out: both flags, reason 3, answer cancel.
    controller->cancelBtn()->click();
    ASSERT_NE(controller->fadeOutTimer(), nullptr);
    controller->fadeOut(controller->fadeOutTimer());
    EXPECT_EQ(controller->currentOpacity(), 210);
    controller->snoozeBtn()->click();
    EXPECT_EQ(controller->currentOpacity(), 240);
    for (int tick = 1; tick <= 7; ++tick) {
        controller->fadeOut(controller->fadeOutTimer());
        EXPECT_EQ(controller->currentOpacity(), 240 - 30 * tick);
        EXPECT_FALSE(closed());
    }
    controller->fadeOut(controller->fadeOutTimer());
    EXPECT_TRUE(closed());
    EXPECT_EQ(controller->exitState()->exitVal(), kCloseSnooze);
    EXPECT_EQ(content(MARKER_CANCEL), "cancel\n");
    EXPECT_FALSE(present(MARKER_SNOOZE));
}

TEST_F(AppControllerTest, LogoAndDateLine)
{
    open({"-ok"});
    const QImage builtIn = controller->logoBtn()->icon().pixmap(100, 100).toImage();
    EXPECT_FALSE(builtIn.isNull());
    EXPECT_EQ(controller->mainWindow()->windowIcon().pixmap(100, 100).toImage(), builtIn);
    const QString date = controller->dateTimeTxtFld()->text();
    EXPECT_FALSE(controller->dateTimeTxtFld()->isHidden());
    EXPECT_EQ(date.count(':'), 2) << date.toStdString(); // hours, minutes and seconds

    MakeDirs(root.dataDir() + "downloads/custom");
    QImage custom(100, 100, QImage::Format_RGB32);
    custom.fill(QColor(200, 30, 40));
    ASSERT_TRUE(custom.save(QString::fromStdString(root.dataDir() + "downloads/custom/client_logo.bmp")));
    open({"-ok"});
    const QImage shown = controller->logoBtn()->icon().pixmap(100, 100).toImage();
    EXPECT_EQ(QColor(shown.pixel(50, 50)), QColor(200, 30, 40));
    EXPECT_NE(controller->mainView()->patternColor(), std::nullopt);
    EXPECT_EQ(controller->mainWindow()->windowIcon().pixmap(100, 100).toImage(),
              builtIn); // the program's own
}

TEST_F(AppControllerTest, StartupFailuresShowThePanelAndEndWithoutTheDialog)
{
    const std::pair<QStringList, QString> panels[] = {
        {{}, "Missing parameters"},
        {{"-h"}, "How to use VUserAlert"},
        {{"-bogus"}, "Invalid parameter"},
    };
    for (const auto& [options, title] : panels) {
        QStringList arguments = options;
        arguments.prepend("/opt/vora/bin/VUserAlert");
        AppController failing(arguments);
        QString seenTitle;
        QString seenText;
        QTimer::singleShot(0, [&] {
            auto* panel = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(panel, nullptr);
            seenTitle = panel->windowTitle();
            seenText = panel->informativeText();
            panel->findChild<QPushButton*>("alertPanelButton")->click();
        });
        failing.awakeFromNib();
        EXPECT_TRUE(failing.isTerminating());
        EXPECT_EQ(seenTitle, title);
        EXPECT_TRUE(seenText.contains("usage: VUserAlert -name=PKGNAME")) << seenText.toStdString();
        EXPECT_EQ(seenText.startsWith("Unknown parameter.\n\n"), options == QStringList{"-bogus"});
        EXPECT_FALSE(failing.mainWindow()->isVisible());
    }

    AppController invalid(QStringList{"/opt/vora/bin/VUserAlert", "-ok", "-yesno"});
    invalid.awakeFromNib(); // no panel: a modal one would block here
    EXPECT_TRUE(invalid.isTerminating());
    EXPECT_TRUE(ListDir(root.userDir()) == std::vector<std::string>{"VAgent.log"} ||
                ListDir(root.userDir()).empty());
}

TEST(StringTables, EveryKeyHasEnglishAndGermanText)
{
    std::vector<const char*> keys(std::begin(kDialogStringKeys), std::end(kDialogStringKeys));
    keys.insert(keys.end(), std::begin(kSnoozeEntryKeys), std::end(kSnoozeEntryKeys));
    for (const MessageToken& token : kMessageTokens) {
        keys.push_back(token.key);
    }
    for (const char* key : keys) {
        EXPECT_NE(qtTrId(key), QString::fromLatin1(key)) << "no English text for " << key;
    }
    QTranslator german;
    ASSERT_TRUE(german.load(":/i18n/VUserAlert_de.qm"));
    for (const char* key : keys) {
        EXPECT_FALSE(german.translate(nullptr, key).isEmpty()) << "no German text for " << key;
    }
    EXPECT_EQ(german.translate(nullptr, "BUTTON_CANCEL"), "Abbrechen");
}

TEST_F(AppControllerTest, TabVisitsTheVisibleButtonsLeftToRight)
{
    open({"-ok", "-snooze", "-cancel"});
    std::vector<std::string> visited;
    QWidget* widget = controller->messageTxtView();
    for (int step = 0; step < 40; ++step) {
        widget = widget->nextInFocusChain();
        const auto* button = qobject_cast<QPushButton*>(widget);
        if (button != nullptr && button->isVisibleTo(controller->mainWindow()) &&
            (button->focusPolicy() & Qt::TabFocus) != 0) {
            visited.push_back(button->objectName().toStdString());
        }
        if (widget == controller->messageTxtView()) {
            break;
        }
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"okBtn", "snoozeBtn", "cancelBtn"}));
    EXPECT_EQ(controller->logoBtn()->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(controller->progressMeterBtn()->focusPolicy(), Qt::NoFocus);
}
