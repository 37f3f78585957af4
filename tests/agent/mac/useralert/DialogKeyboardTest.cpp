// The dialog on the keyboard: key events through Qt's own input path
// (QTest), so shortcuts are matched as for a real key.
#include "DialogFixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

namespace {

class DialogKeyboardTest : public DialogFixture
{
protected:
    QWidget* focus() const { return QApplication::focusWidget(); }

    void key(Qt::Key code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focus() != nullptr ? focus() : controller->mainWindow(), code, modifiers);
    }

    // Tabs from the message until `target` has the focus; false when the
    // chain comes round without it.
    bool tabTo(QWidget* target)
    {
        for (int step = 0; step < 20 && focus() != target; ++step) {
            key(Qt::Key_Tab);
        }
        return focus() == target;
    }
};

} // namespace

TEST_F(DialogKeyboardTest, EscapeClosesAsTheCloseButtonDoes)
{
    open({"-yesno", "-default=yes"});
    key(Qt::Key_Escape);
    ASSERT_TRUE(WaitUntil([&] { return closed(); }));
    EXPECT_EQ(controller->exitState()->exitVal(), kCloseWindowButton);
    EXPECT_FALSE(answered(MARKER_YES));
}

TEST_F(DialogKeyboardTest, FocusStartsOnTheMessageWhereEnterAnswersNothing)
{
    open({"-yesno", "-default=yes"});
    EXPECT_EQ(focus(), controller->messageTxtView());
    for (QPushButton* button : controller->mainWindow()->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    }
    key(Qt::Key_Return);
    key(Qt::Key_Enter, Qt::KeypadModifier);
    key(Qt::Key_Space);
    QApplication::processEvents();
    EXPECT_FALSE(closed());
    EXPECT_EQ(controller->exitState()->exitVal(), 0);
}

TEST_F(DialogKeyboardTest, ReturnEnterAndSpacePressTheFocusedButton)
{
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, QPushButton* (AppController::*)() const, int> cases[] = {
        {Qt::Key_Return, Qt::NoModifier, &AppController::yesBtn, kCloseYes},
        {Qt::Key_Enter, Qt::KeypadModifier, &AppController::noBtn, kCloseNo},
        {Qt::Key_Space, Qt::NoModifier, &AppController::yesBtn, kCloseYes},
    };
    for (const auto& [code, modifiers, button, reason] : cases) {
        open({"-yesno"});
        ASSERT_TRUE(tabTo((controller.get()->*button)()));
        key(code, modifiers);
        ASSERT_TRUE(WaitUntil([&] { return closed(); })) << code;
        EXPECT_EQ(controller->exitState()->exitVal(), reason) << code;
        EXPECT_EQ(answered(MARKER_YES), reason == kCloseYes);
        agent->DeleteAll();
    }
}

TEST_F(DialogKeyboardTest, TabReachesEveryControlInOrderAndComesRound)
{
    open({"-multisnoozemessage=PRE7^Editor^Install^10^^8^Browser^Update^10^^9^Mail^Set up^10"});
    controller->nextBtn()->click(); // page 2: Back and Next both shown
    controller->messageTxtView()->setFocus();
    std::vector<std::string> visited;
    for (int step = 0; step < 10; ++step) {
        key(Qt::Key_Tab);
        visited.push_back(focus()->objectName().toStdString());
        if (focus() == controller->messageTxtView()) {
            break;
        }
    }
    EXPECT_EQ(visited,
              (std::vector<std::string>{"snoozeOptionsCbo", "backBtn", "nextBtn", "messageTxtView"}));
    key(Qt::Key_Backtab);
    EXPECT_EQ(focus(), controller->nextBtn());
}

TEST_F(DialogKeyboardTest, FocusOnTheMessageIsDrawnAsARing)
{
    open({"-yesno"});
    const QRect message = controller->messageView()->geometry();
    const auto ringColour = [&] {
        const QImage shot = controller->mainWindow()->grab().toImage();
        return QColor(shot.pixel(message.left() + 1, message.center().y()));
    };
    const QColor focused = ringColour();
    ASSERT_TRUE(tabTo(controller->yesBtn()));
    const QColor unfocused = ringColour();
    EXPECT_EQ(focused, controller->mainWindow()->palette().color(QPalette::Highlight));
    EXPECT_NE(unfocused, focused);
}
