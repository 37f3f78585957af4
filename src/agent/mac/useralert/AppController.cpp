#include "AppController.h"

#include "AlertPanel.h"
#include "BuiltInImage.h"
#include "DisplaySelection.h"
#include "FitText.h"
#include "GradientView.h"
#include "VUAOptions.h"
#include "VuaAPI.h"
#include "ui_VUserAlertWindow.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>

namespace {

constexpr double kPollInterval = 0.05;
constexpr double kProgressInterval = 0.2;
constexpr int kFadeInStep = 15;
constexpr int kProgressFrames = 8;
constexpr double kNoTimeoutSeconds = 86400;

const QString kCustomLogo = QStringLiteral("downloads/custom/client_logo.bmp");
const QString kBuiltInLogo = QStringLiteral(":/VRlogo100w.bmp");

// The user's short date and a time with seconds ("medium" time):
// "12/8/26 1:45:07 PM" in en_US, "08.12.26 13:45:07" in de_DE.
QString MediumTimeFormat(const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("ss"))) {
        format.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    }
    return format;
}

} // namespace

void AppController::TimerRelease::operator()(QTimer* timer) const
{
    timer->stop();
    timer->deleteLater();
}

AppController::AppController(QStringList arguments, QObject* parent)
    : QObject(parent), m_ui(std::make_unique<Ui::VUserAlertWindow>()),
      m_mainWindow(std::make_unique<QWidget>()), m_arguments(std::move(arguments))
{
    m_ui->setupUi(m_mainWindow.get());
    m_mainView = m_ui->mainView;
    m_logoBtn = m_ui->logoBtn;
    m_titleTxtFld = m_ui->titleTxtFld;
    m_messageTxtView = m_ui->messageTxtView;
    m_messageView = m_ui->messageView;
    m_snoozeOptionsCbo = m_ui->snoozeOptionsCbo;
    m_okBtn = m_ui->okBtn;
    m_cancelBtn = m_ui->cancelBtn;
    m_snoozeBtn = m_ui->snoozeBtn;
    m_yesBtn = m_ui->yesBtn;
    m_noBtn = m_ui->noBtn;
    m_nextBtn = m_ui->nextBtn;
    m_backBtn = m_ui->backBtn;
    m_dateTimeTxtFld = m_ui->dateTimeTxtFld;
    m_progressMeterBtn = m_ui->progressMeterBtn;
    m_pageCounterTxtFld = m_ui->pageCounterTxtFld;
    m_snoozeLabel = m_ui->snoozeLabel;
    m_timeoutTxtFld = m_ui->timeoutTxtFld;
    m_messageFrame = m_messageView->geometry();
    m_timeoutColumn = m_timeoutTxtFld->geometry();
    connectActions();
    watchMessageScroll();
    setupDesktopIntegration();
}

AppController::~AppController() = default;

void AppController::connectActions()
{
    const std::pair<QPushButton*, void (AppController::*)()> actions[] = {
        {m_okBtn, &AppController::okBtnClicked},         {m_cancelBtn, &AppController::cancelBtnClicked},
        {m_snoozeBtn, &AppController::snoozeBtnClicked}, {m_yesBtn, &AppController::yesBtnClicked},
        {m_noBtn, &AppController::noBtnClicked},         {m_backBtn, &AppController::backBtnClicked},
        {m_nextBtn, &AppController::nextBtnClicked},
    };
    for (const auto& [button, action] : actions) {
        connect(button, &QPushButton::clicked, this, action);
    }
}

AppController::TimerPtr AppController::makeTimer(double seconds, TimerAction action, Qt::TimerType type)
{
    // QTimer counts whole milliseconds in an int: 0 or less fires at the next
    // turn of the loop, more than ~24.8 days is held at that limit.
    const double milliseconds = std::clamp(seconds * 1000.0, 0.0, double(std::numeric_limits<int>::max()));
    TimerPtr timer(new QTimer(this));
    timer->setInterval(static_cast<int>(milliseconds));
    timer->setTimerType(type);
    QTimer* raw = timer.get();
    connect(raw, &QTimer::timeout, this, [this, raw, action] { (this->*action)(raw); });
    timer->start();
    return timer;
}

void AppController::log(const QString& line)
{
    if (m_vuaApi) {
        m_vuaApi->logMessage(line);
    }
}

// --- window and controls ---------------------------------------------------

void AppController::setupDefaultState()
{
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_okBtn, m_cancelBtn, m_snoozeBtn, m_yesBtn, m_noBtn, m_messageView, m_progressMeterBtn,
             m_dateTimeTxtFld, m_nextBtn, m_backBtn, m_pageCounterTxtFld, m_snoozeOptionsCbo, m_snoozeLabel,
             m_timeoutTxtFld}) {
        control->hide();
    }
    m_opacity = 240;
    m_currentOpacity = 0;
    m_fadeEnabled = false;
    m_snoozeFilename.clear();
    m_messageChunks.clear();
    m_currentChoice = 0;
    m_choices = 0;
    m_isPreInstall = true;
    m_showSnoozeChoices = false;
    m_snoozeSelections.clear();
    m_progressBmps.clear();
    m_currentProgressBmp = 0;

    m_logoBtn->setAccessibleName(qtTrId("ACCESSIBLE_LOGO"));
    m_progressMeterBtn->setAccessibleName(qtTrId("ACCESSIBLE_PROGRESS"));
    m_messageTxtView->setAccessibleName(qtTrId("ACCESSIBLE_MESSAGE"));
    m_snoozeOptionsCbo->setAccessibleName(qtTrId("ACCESSIBLE_SNOOZE"));
    m_snoozeLabel->setText(qtTrId("ACCESSIBLE_SNOOZE"));
    // Named with their values ("Page 2 of 3", "Shown at 08.12.26 13:45:07");
    // the plain word says what the value is.
    m_pageCounterTxtFld->setAccessibleDescription(qtTrId("ACCESSIBLE_PAGE"));
    m_dateTimeTxtFld->setAccessibleDescription(qtTrId("ACCESSIBLE_SHOWN_AT"));
}

float AppController::buttonRowMiddle() const
{
    return m_mainView != nullptr ? static_cast<float>(m_mainView->width()) / 2.0f : 0.0f;
}

void AppController::setupButtons()
{
    const std::pair<QPushButton*, const char*> titles[] = {
        {m_okBtn, "BUTTON_OK"},     {m_cancelBtn, "BUTTON_CANCEL"}, {m_snoozeBtn, "BUTTON_SNOOZE"},
        {m_yesBtn, "BUTTON_YES"},   {m_noBtn, "BUTTON_NO"},         {m_backBtn, "BUTTON_BACK"},
        {m_nextBtn, "BUTTON_NEXT"},
    };
    for (const auto& [button, key] : titles) {
        button->setText(qtTrId(key));
        button->setAccessibleName(button->text());
    }

    const float mid = buttonRowMiddle();
    const float left = mid - kButtonWidth - kButtonSpace / 2;     // mid - 105
    const float right = mid + kButtonSpace / 2;                   // mid + 5
    const float single = mid - kButtonWidth / 2;                  // mid - 50
    const float first = mid - 1.5f * kButtonWidth - kButtonSpace; // mid - 160
    const float third = mid + kButtonWidth / 2 + kButtonSpace;    // mid + 60
    const QRectF frame(0, kButtonBottom, kButtonSize, kButtonHeight);

    const VuaAPI& api = *m_vuaApi;
    if (api.isMultiMessageMode() || api.isMultiSnoozeMessageMode()) {
        setupButton(m_backBtn, "BUTTON_BACK", left, frame);
        setupButton(m_nextBtn, "BUTTON_NEXT", right, frame);
    } else if (api.isYesNoBtn()) {
        setupButton(m_yesBtn, "BUTTON_YES", left, frame);
        setupButton(m_noBtn, "BUTTON_NO", right, frame);
    } else if (api.isOkBtn() && api.isSnoozeBtn() && api.isCancelBtn()) {
        setupButton(m_okBtn, "BUTTON_OK", first, frame);
        setupButton(m_snoozeBtn, "BUTTON_SNOOZE", single, frame);
        setupButton(m_cancelBtn, "BUTTON_CANCEL", third, frame);
    } else if (api.isOkBtn() && api.isCancelBtn()) {
        setupButton(m_okBtn, "BUTTON_OK", left, frame);
        setupButton(m_cancelBtn, "BUTTON_CANCEL", right, frame);
    } else if (api.isOkBtn() && api.isSnoozeBtn()) {
        setupButton(m_okBtn, "BUTTON_OK", left, frame);
        setupButton(m_snoozeBtn, "BUTTON_SNOOZE", right, frame);
    } else if (api.isOkBtn()) {
        setupButton(m_okBtn, "BUTTON_OK", single, frame);
    }
}

void AppController::setupButton(QPushButton* button, const char* key, float xpos, const QRectF& frame)
{
    QFont font = button->font();
    font.setPointSize(kButtonFontSize);
    button->setFont(font);
    button->setText(qtTrId(key));
    button->setAccessibleName(button->text());
    button->show();
    const double parentHeight = button->parentWidget() != nullptr ? button->parentWidget()->height() : 0;
    const double top = parentHeight - frame.y() - frame.height();
    button->setGeometry(QRectF(xpos, top, frame.width(), frame.height()).toRect());
}

void AppController::loadLogoBitmap()
{
    const QString custom = m_vuaApi->appPath() + kCustomLogo;
    // A custom logo may be in any format; Qt finds out which.
    const QPixmap builtIn = LoadBuiltInImage(kBuiltInLogo);
    m_mainWindow->setWindowIcon(QIcon(builtIn));
    m_logoBtn->setIcon(QIcon(QFile::exists(custom) ? QPixmap(custom) : builtIn));
}

void AppController::setupProgress()
{
    m_progressBmps.clear();
    for (int frame = 1; frame <= kProgressFrames; ++frame) {
        m_progressBmps.append(LoadBuiltInImage(QStringLiteral(":/prog%1.bmp").arg(frame)));
    }
}

void AppController::adjustTransparency(int opacity)
{
    if (m_windowOpacity) {
        m_mainWindow->setWindowOpacity(opacity / 255.0);
    }
}

// --- start-up ----------------------------------------------------------------

void AppController::awakeFromNib()
{
    setupDefaultState();
    m_vuaApi = std::make_unique<VuaAPI>();
    m_exitState = std::make_unique<ExitState>();
    m_snoozeSelections.clear();
    m_mainWindow->installEventFilter(this);

    const int result = m_arguments.isEmpty() ? m_vuaApi->setup() : m_vuaApi->setup(m_arguments);
    if (result != kParseSuccess) {
        showStartupFailure(result);
        // The application main sees this and ends with status 0 instead of
        // running its loop.
        m_terminating = true;
        m_mainWindow->removeEventFilter(this);
        m_mainWindow->close();
        return;
    }
    m_snoozeFilename = m_vuaApi->snoozePath();
    setupUI();
    setupTimers();
    log(QStringLiteral("VUserAlert:  showing window"));
}

void AppController::showStartupFailure(int result)
{
    const QString ok = qtTrId("BUTTON_OK");
    switch (result) {
    case kParseMissingParameters:
        RunModalAlert(qtTrId("ERROR_MISSINGPARAMS"), m_vuaApi->buildUsageString(), ok);
        break;
    case kParseUsageRequested:
        RunModalAlert(qtTrId("ERROR_USAGE"), m_vuaApi->buildUsageString(), ok);
        break;
    case kParseUnknownParameter:
        RunModalAlert(qtTrId("ERROR_INVALIDPARAMETER"),
                      m_vuaApi->buildUsageString(qtTrId("ERROR_UNKNOWNPARAMETER")), ok);
        break;
    default:
        break;
    }
}

void AppController::setupUI()
{
    // Window level 1000 (above ordinary windows) is "stays on top" here. A
    // dialog to the window manager, with a title and a close button only: the
    // window has one size, so no maximise button.
    m_mainWindow->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                 Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint);
    m_windowOpacity = PlatformHasWindowOpacity();
    if (!m_windowOpacity) {
        log(QStringLiteral("VUserAlert:  on %1 staying on top and fading are left to the compositor")
                .arg(QGuiApplication::platformName()));
    }
    m_detectLinks = true;
    showCurrentDate();
    loadLogoBitmap();

    m_fadeEnabled = m_vuaApi->isFade() && m_windowOpacity;
    adjustTransparency(m_fadeEnabled ? 0 : m_opacity);

    const QString name = m_vuaApi->name();
    m_mainWindow->setWindowTitle(expandTokens(name).value_or(name));
    const QString title = m_vuaApi->title();
    m_titleTxtFld->setText(expandTokens(title).value_or(title));
    m_titleTxtFld->setAccessibleName(m_titleTxtFld->text());
    FitOneLine(*m_titleTxtFld, kTitleSmallestPointSize);

    setupButtons();
    setupProgress();
    displayMessageText(m_vuaApi->message(), false);
    // Keys typed into another window as the dialog appears reach the
    // message, which no key answers; Tab leads on to the controls.
    m_messageTxtView->setFocus();

    if (!m_vuaApi->multiMessages().isEmpty()) {
        setupMultiMessages(m_vuaApi->multiMessages(), m_vuaApi->isMultiSnoozeMessageMode());
        m_isPreInstall = m_vuaApi->isMultiIsPreinstall();
        displayCurrentChoice();
        return;
    }
    const int timeout = m_vuaApi->timeout();
    startTimedoutTimer(timeout >= 1 ? timeout : kNoTimeoutSeconds);
}

void AppController::showCurrentDate()
{
    const QLocale locale;
    const QString format =
        locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + MediumTimeFormat(locale);
    m_dateTimeTxtFld->setText(locale.toString(QDateTime::currentDateTime(), format));
    m_dateTimeTxtFld->setAccessibleName(qtTrId("ACCESSIBLE_SHOWN_AT_VALUE").arg(m_dateTimeTxtFld->text()));
    m_dateTimeTxtFld->show();
}

void AppController::setupTimers()
{
    setCheckCommandsTimer(makeTimer(kPollInterval, &AppController::checkForUpdates));
    if (m_fadeEnabled) {
        setFadeInTimer(makeTimer(kFadeInterval, &AppController::fadeIn));
    }
}

// --- runtime -------------------------------------------------------------------

void AppController::checkForUpdates(QTimer* /*timer*/)
{
    if (m_vuaApi->checkCommand(MARKER_EXIT)) {
        log(QStringLiteral("VUserAlert:  Markerfile for EXIT found, closing"));
        checkMFMessage();
        setCheckCommandsTimer(nullptr);
        startCloseDialog(kCloseExitMarker);
        return;
    }
    checkMFMessage();
    checkMFCommands();
}

void AppController::checkMFMessage()
{
    const std::optional<MessageState> update = m_vuaApi->checkMessage();
    if (!update) {
        return;
    }
    log(QStringLiteral("VUserAlert:  --name [%1] new message: %2, append: %3;")
            .arg(m_vuaApi->name(), update->message(),
                 update->isAppend() ? QStringLiteral("yes") : QStringLiteral("no")));
    displayMessageText(update->message(), update->isAppend());
}

void AppController::checkMFCommands()
{
    if (m_vuaApi->checkCommand(MARKER_SHOWOK)) {
        log(QStringLiteral("VUserAlert:    Markerfile for SHOW OK BTN found"));
        log(QStringLiteral("VUserAlert:  Showing OK button in response to wnd message"));
        setupButton(m_okBtn, "BUTTON_OK", buttonRowMiddle() - 50.0f,
                    QRectF(0, kButtonBottom, kButtonSize, kButtonHeight));
    }
    if (m_vuaApi->checkCommand(MARKER_PROGON)) {
        log(QStringLiteral("VUserAlert:    Markerfile for PROG METER ON found"));
        log(QStringLiteral("VUserAlert:  Received request to start progress indicator"));
        m_progressMeterBtn->show();
        m_currentProgressBmp = 0;
        // The first image ("prog2.bmp") comes with the first tick, 0.2 s
        // on; until then the meter shows none, not an earlier run's.
        m_progressMeterBtn->setIcon(QIcon());
        setProgressTimer(makeTimer(kProgressInterval, &AppController::progress));
    }
    if (m_vuaApi->checkCommand(MARKER_PROGOFF)) {
        log(QStringLiteral("VUserAlert:  Markerfile for PROG METER OFF found"));
        setProgressTimer(nullptr);
        log(QStringLiteral("VUserAlert:  Received request to stop progress indicator"));
        m_progressMeterBtn->hide();
    }
    if (m_vuaApi->checkCommand(MARKER_FINISH)) {
        log(QStringLiteral("VUserAlert:  Markerfile for Continue->Finish found"));
        log(QStringLiteral("VUserAlert:  Received request to change Continue to Finish"));
        if (m_nextBtn->isVisibleTo(m_mainWindow.get())) {
            m_nextBtn->setText(qtTrId("BUTTON_FINISH"));
            m_nextBtn->setAccessibleName(m_nextBtn->text());
        } else {
            log(QStringLiteral("VUserAlert:      BUT it's not visible, so ignoring the request"));
        }
    }
    const int seconds = m_vuaApi->checkTimeoutCommand();
    if (seconds != -1) {
        log(QStringLiteral("VUserAlert:  Markerfile for TIMEOUT found"));
        startTimedoutTimer(seconds);
    }
}

void AppController::fadeIn(QTimer* /*timer*/)
{
    m_currentOpacity += kFadeInStep;
    if (m_currentOpacity >= m_opacity) {
        m_currentOpacity = m_opacity;
        setFadeInTimer(nullptr);
    }
    adjustTransparency(m_currentOpacity);
}

void AppController::progress(QTimer* /*timer*/)
{
    m_currentProgressBmp = (m_currentProgressBmp + 1) % kProgressFrames;
    if (m_currentProgressBmp < m_progressBmps.size()) {
        m_progressMeterBtn->setIcon(QIcon(m_progressBmps.at(m_currentProgressBmp)));
    }
}

bool AppController::eventFilter(QObject* watched, QEvent* event)
{
    // The title bar's close button does not close the window itself: it is
    // one more way to answer the dialog (reason 7).
    if (watched == m_mainWindow.get() && event->type() == QEvent::Close && !m_closed) {
        event->ignore();
        QMetaObject::invokeMethod(this, &AppController::closeMainWindow, Qt::QueuedConnection);
        return true;
    }
    return filterDesktopEvent(watched, event) || QObject::eventFilter(watched, event);
}
