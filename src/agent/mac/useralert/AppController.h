#pragma once

#include "ExitState.h"
#include "MessageChunk.h"

#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <limits>
#include <memory>
#include <optional>

class GradientView;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTextBrowser;
class QWidget;
class ScreenReaderAnnouncer;
class VuaAPI;

namespace Ui {
class VUserAlertWindow;
}

// Why a dialog closed (ExitState::exitVal).
enum CloseReason : int
{
    kCloseOk = 1,
    kCloseCancel = 2,
    kCloseSnooze = 3,
    kCloseYes = 4,
    kCloseNo = 5,
    kCloseLastPage = 6,
    kCloseWindowButton = 7,
    kCloseTimedOut = 8,
    kCloseExitMarker = 9,
};

// The dialog controller: fills the window from the launch options, lives on
// its timers (the 50 ms marker poll, fades, progress animation, time-out)
// and closes through one path that leaves the answer for the agent.
//
// Timers follow one rule: a timer runs while its property holds it, and
// setting the property to nothing (or to another timer) is the only way it
// stops.
class AppController final : public QObject
{
    Q_OBJECT

public:
    // Loads the interface file; `arguments` are the process arguments,
    // program path first (none: the process's own, as it was started).
    explicit AppController(QStringList arguments = {}, QObject* parent = nullptr);
    ~AppController() override;

    // Start-up and runtime.
    void awakeFromNib();
    bool isTerminating() const { return m_terminating; }
    void setupUI();
    void setupTimers();
    void checkForUpdates(QTimer* timer);
    void checkMFMessage();
    void checkMFCommands();
    void fadeIn(QTimer* timer);
    void progress(QTimer* timer);

    // Window and controls.
    void setupDefaultState();
    void setupButtons();
    // `frame` is in the view's bottom-up coordinates: y = 15 is 15 px above
    // the bottom edge of mainView.
    void setupButton(QPushButton* button, const char* key, float xpos, const QRectF& frame);
    void loadLogoBitmap();
    void setupProgress();
    void adjustTransparency(int opacity);

    // Result and closing.
    void okBtnClicked();
    void cancelBtnClicked();
    void snoozeBtnClicked();
    void yesBtnClicked();
    void noBtnClicked();
    void closeMainWindow();
    void startCloseDialog(int reason);
    void fadeOut(QTimer* timer);
    void closeDialog();

    // Message text, time-outs and paging.
    void startTimedoutTimer(double seconds);
    void timedOut(QTimer* timer);
    std::optional<QString> expandToken(const QString& text, const QString& token, const char* key) const;
    std::optional<QString> expandTokens(const QString& text);
    void displayMessageText(const QString& text, bool append);
    void setupMultiMessages(const QList<MessageChunk>& chunks, bool showSnooze);
    void displayCurrentChoice();
    void backBtnClicked();
    void nextBtnClicked();

    // Outlets.
    QWidget* mainWindow() const { return m_mainWindow.get(); }
    GradientView* mainView() const { return m_mainView; }
    QPushButton* logoBtn() const { return m_logoBtn; }
    QLabel* titleTxtFld() const { return m_titleTxtFld; }
    QTextBrowser* messageTxtView() const { return m_messageTxtView; }
    QFrame* messageView() const { return m_messageView; }
    QComboBox* snoozeOptionsCbo() const { return m_snoozeOptionsCbo; }
    QPushButton* okBtn() const { return m_okBtn; }
    QPushButton* cancelBtn() const { return m_cancelBtn; }
    QPushButton* snoozeBtn() const { return m_snoozeBtn; }
    QPushButton* yesBtn() const { return m_yesBtn; }
    QPushButton* noBtn() const { return m_noBtn; }
    QPushButton* nextBtn() const { return m_nextBtn; }
    QPushButton* backBtn() const { return m_backBtn; }
    QLabel* dateTimeTxtFld() const { return m_dateTimeTxtFld; }
    QPushButton* progressMeterBtn() const { return m_progressMeterBtn; }
    QLabel* pageCounterTxtFld() const { return m_pageCounterTxtFld; }
    QLabel* snoozeLabel() const { return m_snoozeLabel; }
    QLabel* timeoutTxtFld() const { return m_timeoutTxtFld; }

    // Properties.
    VuaAPI* vuaApi() const { return m_vuaApi.get(); }
    ExitState* exitState() const { return m_exitState.get(); }
    int opacity() const { return m_opacity; }
    // False where the platform cannot make windows translucent (Wayland):
    // there the window is opaque and -fade fades nothing.
    bool hasWindowOpacity() const { return m_windowOpacity; }
    int currentOpacity() const { return m_currentOpacity; }
    bool isFadeEnabled() const { return m_fadeEnabled; }
    const QString& snoozeFilename() const { return m_snoozeFilename; }
    const QList<MessageChunk>& messageChunks() const { return m_messageChunks; }
    int currentChoice() const { return m_currentChoice; }
    int choices() const { return m_choices; }
    bool isPreInstall() const { return m_isPreInstall; }
    bool isShowSnoozeChoices() const { return m_showSnoozeChoices; }
    const QList<int>& snoozeSelections() const { return m_snoozeSelections; }
    const QList<QPixmap>& progressBmps() const { return m_progressBmps; }
    int currentProgressBmp() const { return m_currentProgressBmp; }
    QString messageText() const; // the message view's plain text

    QTimer* checkCommandsTimer() const { return m_checkCommandsTimer.get(); }
    QTimer* fadeInTimer() const { return m_fadeInTimer.get(); }
    QTimer* fadeOutTimer() const { return m_fadeOutTimer.get(); }
    QTimer* progressTimer() const { return m_progressTimer.get(); }
    QTimer* timedOutTimer() const { return m_timedOutTimer.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Stops the timer it releases; deletion waits for the event loop, since a
    // timer may be replaced from inside its own action.
    struct TimerRelease
    {
        void operator()(QTimer* timer) const;
    };
    using TimerPtr = std::unique_ptr<QTimer, TimerRelease>;
    using TimerAction = void (AppController::*)(QTimer*);

    // `type`: precise for the time-out, whose second the window tells
    // (a coarse timer may fire up to 5 % late: 1.5 s for 30 s).
    TimerPtr makeTimer(double seconds, TimerAction action, Qt::TimerType type = Qt::CoarseTimer);
    void setCheckCommandsTimer(TimerPtr timer) { m_checkCommandsTimer = std::move(timer); }
    void setFadeInTimer(TimerPtr timer) { m_fadeInTimer = std::move(timer); }
    void setFadeOutTimer(TimerPtr timer) { m_fadeOutTimer = std::move(timer); }
    void setProgressTimer(TimerPtr timer) { m_progressTimer = std::move(timer); }
    void setTimedOutTimer(TimerPtr timer)
    {
        m_timedOutTimer = std::move(timer);
        describeWindow();
    }

    void connectActions();
    // How the window fits the desktop (AppControllerDesktop.cpp): its own
    // palette, keys, focus ring and what screen readers are told.
    void setupDesktopIntegration();
    void applyBrandPalette();
    void describeForScreenReaders();
    void setupKeyboard();
    bool filterDesktopEvent(QObject* watched, QEvent* event);
    QString pageCounterSpokenText() const;
    void describeWindow();
    void showTimeoutNotice(const QString& notice);
    QString autoAnswerNotice() const;
    QString timeoutAnswer() const;
    void announceMessage();
    void showStartupFailure(int result);
    void showCurrentDate();
    void storeSnoozeSelection();
    bool writeSnoozeChoices();
    float buttonRowMiddle() const;
    void log(const QString& line);
    QString boundedText(const QString& text) const;
    QString boundedTail(const QString& text) const;
    void watchMessageScroll();
    void keepMessageScroll();

    std::unique_ptr<Ui::VUserAlertWindow> m_ui;
    std::unique_ptr<QWidget> m_mainWindow;
    GradientView* m_mainView = nullptr;
    QPushButton* m_logoBtn = nullptr;
    QLabel* m_titleTxtFld = nullptr;
    QTextBrowser* m_messageTxtView = nullptr;
    QFrame* m_messageView = nullptr;
    QComboBox* m_snoozeOptionsCbo = nullptr;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    QPushButton* m_snoozeBtn = nullptr;
    QPushButton* m_yesBtn = nullptr;
    QPushButton* m_noBtn = nullptr;
    QPushButton* m_nextBtn = nullptr;
    QPushButton* m_backBtn = nullptr;
    QLabel* m_dateTimeTxtFld = nullptr;
    QPushButton* m_progressMeterBtn = nullptr;
    QLabel* m_pageCounterTxtFld = nullptr;
    QLabel* m_snoozeLabel = nullptr;
    QLabel* m_timeoutTxtFld = nullptr;
    QRect m_messageFrame;  // the message view's place without a time-out line
    QRect m_timeoutColumn; // the time-out line's place in the message column
    ScreenReaderAnnouncer* m_announcer = nullptr;

    QStringList m_arguments;
    std::unique_ptr<VuaAPI> m_vuaApi;
    std::unique_ptr<ExitState> m_exitState;
    int m_opacity = 240;
    int m_currentOpacity = 0;
    bool m_fadeEnabled = false;
    bool m_windowOpacity = true;
    QString m_snoozeFilename;
    QList<MessageChunk> m_messageChunks;
    int m_currentChoice = 0;
    int m_choices = 0;
    bool m_isPreInstall = true;
    bool m_showSnoozeChoices = false;
    QList<int> m_snoozeSelections;
    QList<QPixmap> m_progressBmps;
    int m_currentProgressBmp = 0;
    bool m_detectLinks = false;
    bool m_terminating = false;
    bool m_closed = false;
    // Where the message view is held while its text is laid out: a scroll
    // position, kMessageEnd, or -1 once the user scrolled.
    int m_messageScrollTarget = -1;
    bool m_scrollingMessage = false;

    TimerPtr m_checkCommandsTimer;
    TimerPtr m_fadeInTimer;
    TimerPtr m_fadeOutTimer;
    TimerPtr m_progressTimer;
    TimerPtr m_timedOutTimer;
    // Tells the time-out again once it is ten minutes away (with seconds).
    QTimer m_noticeRefresh;
};

// Layout of the button row, in points.
inline constexpr float kButtonWidth = 100.0f;
inline constexpr float kButtonSpace = 10.0f;
inline constexpr double kButtonSize = 100.0;
inline constexpr double kButtonHeight = 32.0;
inline constexpr double kButtonBottom = 15.0;
inline constexpr int kButtonFontSize = 10;
// The title shrinks from 13 pt to no less than this to fit its line; 9 pt
// is the size of the time below it.
inline constexpr int kTitleSmallestPointSize = 9;

// Space between the message view and the time-out line under it, in pixels.
inline constexpr int kNoticeSpacing = 2;

// Interval of the fade-in and fade-out steps, in seconds.
inline constexpr double kFadeInterval = 0.015;
// The message view's scroll target "its end" (QScrollBar clamps it).
inline constexpr int kMessageEnd = std::numeric_limits<int>::max();
// Most characters of a message the view lays out (see boundedText).
inline constexpr qsizetype kMaxShownCharacters = 20000;
