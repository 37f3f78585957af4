// AppController: how the dialog fits the desktop. Its palette is its own,
// so the light brand background keeps dark text in a dark scheme; keys close
// and press as in any dialog; screen readers are told what each part is.
#include "AppController.h"

#include "AccessibleDescription.h"
#include "ScreenReaderAnnouncer.h"
#include "VUAOptions.h"
#include "VuaAPI.h"
#include "ui_VUserAlertWindow.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QTime>

#include <algorithm>

namespace {

// The brand look: light blue-grey like the background image, near-black
// text. Every text colour reaches at least 4.5:1 against what lies behind it
// (window text 15:1 on the background, the date 5.4:1, links 6.4:1 on white).
const QColor kBackground(0xed, 0xf2, 0xf7);
const QColor kText(0x1b, 0x1f, 0x24);
const QColor kDateText(0x5a, 0x63, 0x6e);
const QColor kAccent(0x1a, 0x5f, 0xb4);

// A time-out a day or more away is the stand-in for "none" (or as good as
// one): a time of day alone would name the wrong day, so it is not told.
constexpr int kLongestToldTimeoutMs = 24 * 60 * 60 * 1000;
// A time-out this near is told to the second: "at 16:42" for one 30 s away
// would leave the user guessing whether a minute or no time is left.
constexpr int kToTheSecondWithinMs = 10 * 60 * 1000;

QPalette BrandPalette()
{
    QPalette palette(kBackground);
    const std::pair<QPalette::ColorRole, QColor> roles[] = {
        {QPalette::Window, kBackground},
        {QPalette::WindowText, kText},
        {QPalette::Base, Qt::white},
        {QPalette::AlternateBase, QColor(0xf3, 0xf5, 0xf8)},
        {QPalette::Text, kText},
        {QPalette::Button, QColor(0xf6, 0xf7, 0xf9)},
        {QPalette::ButtonText, kText},
        {QPalette::BrightText, Qt::white},
        {QPalette::Light, Qt::white},
        {QPalette::Midlight, QColor(0xe3, 0xe7, 0xec)},
        {QPalette::Mid, QColor(0xb8, 0xbf, 0xc8)},
        {QPalette::Dark, QColor(0x8a, 0x93, 0x9e)},
        {QPalette::Shadow, QColor(0x4a, 0x52, 0x5c)},
        {QPalette::Highlight, kAccent},
        {QPalette::HighlightedText, Qt::white},
        {QPalette::Link, kAccent},
        {QPalette::LinkVisited, QColor(0x61, 0x35, 0x83)},
        {QPalette::ToolTipBase, Qt::white},
        {QPalette::ToolTipText, kText},
        {QPalette::PlaceholderText, kDateText},
    };
    // The same colours in an inactive window: the text stays as readable
    // while another window has the focus.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        for (const auto& [role, colour] : roles) {
            palette.setColor(group, role, colour);
        }
    }
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor(0x7a, 0x82, 0x8c));
    }
    return palette;
}

bool IsEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Qt::KeyboardModifiers others = key->modifiers() & ~Qt::KeypadModifier;
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && others == Qt::NoModifier &&
           !key->isAutoRepeat();
}

} // namespace

void AppController::setupDesktopIntegration()
{
    applyBrandPalette();
    describeForScreenReaders();
    setupKeyboard();
}

void AppController::applyBrandPalette()
{
    m_mainWindow->setPalette(BrandPalette());
    QPalette date = m_dateTimeTxtFld->palette();
    date.setColor(QPalette::Active, QPalette::WindowText, kDateText);
    date.setColor(QPalette::Inactive, QPalette::WindowText, kDateText);
    m_dateTimeTxtFld->setPalette(date);
    m_timeoutTxtFld->setPalette(date);
}

void AppController::describeForScreenReaders()
{
    AccessibleDescription::installFactory();
    ScreenReaderAnnouncer::installFactory();
    // A dialog named by its title; its description, read when it appears,
    // is the heading, the message and what a time-out will do.
    new AccessibleDescription(*m_mainWindow, QAccessible::Dialog);
    connect(m_messageTxtView->document(), &QTextDocument::contentsChanged, this,
            &AppController::describeWindow);
    new AccessibleDescription(*m_titleTxtFld, QAccessible::Heading);
    new AccessibleDescription(*m_logoBtn, QAccessible::Graphic);
    new AccessibleDescription(*m_progressMeterBtn, QAccessible::ProgressBar, {}, true);
    // Its accessible name stays empty, so each new page text is announced
    // as a name change, read through the name source.
    new AccessibleDescription(*m_pageCounterTxtFld, QAccessible::StaticText,
                              [this] { return pageCounterSpokenText(); });
    new AccessibleDescription(*m_snoozeOptionsCbo, QAccessible::ComboBox);
    m_announcer = new ScreenReaderAnnouncer(*m_mainWindow);
    m_noticeRefresh.setSingleShot(true);
    m_noticeRefresh.setTimerType(Qt::PreciseTimer);
    connect(&m_noticeRefresh, &QTimer::timeout, this, &AppController::describeWindow);
    // The entry the user picks is spoken; one set by a page change is part
    // of that page's announcement.
    connect(m_snoozeOptionsCbo, &QComboBox::activated, this,
            [this] { m_announcer->announce(m_snoozeOptionsCbo->currentText()); });
}

void AppController::describeWindow()
{
    const QString notice = autoAnswerNotice();
    // Told to the minute now, to the second once ten minutes away.
    const QTimer* timeout = m_timedOutTimer.get();
    const int untilSeconds =
        notice.isEmpty() || timeout == nullptr ? 0 : timeout->remainingTime() - kToTheSecondWithinMs;
    if (untilSeconds > 0) {
        m_noticeRefresh.start(untilSeconds);
    } else {
        m_noticeRefresh.stop();
    }
    QStringList parts{m_titleTxtFld->accessibleName(), messageText(), notice}; // the whole title
    parts.removeAll(QString());
    m_mainWindow->setAccessibleDescription(parts.join(QLatin1Char('\n')));
    showTimeoutNotice(notice);
}

// The sentence a screen reader reads, also on screen: one quiet line at the
// foot of the message column; a sentence longer than the column reaches
// left under the logo's column (ending where the message ends) rather than
// folding, and folds only past the logo's left edge. The message gives up
// the line's room while it is shown, the buttons keep theirs.
//   "... answers Yes at 16:42:30."            -> x 137 to 478, one line
//   "... goes on to the next page at 16:42."  -> x about 90 to 478, one line
void AppController::showTimeoutNotice(const QString& notice)
{
    if (notice.isEmpty()) {
        m_timeoutTxtFld->hide();
        m_messageView->setGeometry(m_messageFrame);
        return;
    }
    m_timeoutTxtFld->setText(notice);
    const int right = m_timeoutColumn.x() + m_timeoutColumn.width();
    const int needed = m_timeoutTxtFld->fontMetrics().horizontalAdvance(notice) + kNoticeSpacing;
    const int left = std::clamp(right - needed, m_logoBtn->x(), m_timeoutColumn.x());
    const int height = m_timeoutTxtFld->heightForWidth(right - left);
    const int bottom = m_messageFrame.y() + m_messageFrame.height();
    m_timeoutTxtFld->setGeometry(left, bottom - height, right - left, height);
    m_timeoutTxtFld->show();
    QRect message = m_messageFrame;
    message.setBottom(bottom - height - 1 - kNoticeSpacing);
    m_messageView->setGeometry(message);
}

// "If you do nothing, this dialog answers Yes at 16:42.": what the pending
// time-out will do, or nothing while none is pending. A time-out ten minutes
// away or nearer is told with seconds ("at 16:42:30"), as a fixed time rather than
// a countdown: it reads the same on screen and to a screen reader, and a
// text changing each second would be spoken again and again.
QString AppController::autoAnswerNotice() const
{
    const QTimer* timer = m_timedOutTimer.get();
    if (timer == nullptr || !timer->isActive() || timer->interval() >= kLongestToldTimeoutMs) {
        return {};
    }
    // The locale's short time, to the minute ("4:42 PM", "16:42"), or with
    // seconds ("4:42:30 PM", "16:42:30").
    const QLocale locale;
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QLatin1String(":ss"));
    if (timer->remainingTime() <= kToTheSecondWithinMs) {
        format.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    }
    const QString at = locale.toString(QTime::currentTime().addMSecs(timer->remainingTime()), format);
    if (m_choices >= 1 && m_currentChoice < m_choices - 1) {
        return qtTrId("ACCESSIBLE_NEXT_PAGE_AT").arg(at);
    }
    const QString answer = timeoutAnswer();
    return answer.isEmpty() ? qtTrId("ACCESSIBLE_CLOSES_AT").arg(at)
                            : qtTrId("ACCESSIBLE_ANSWERS_AT").arg(answer, at);
}

// The button a time-out stands for: the default button, or on the last page
// the one the time-out presses; none for a dialog that closes unanswered.
QString AppController::timeoutAnswer() const
{
    switch (m_vuaApi ? m_vuaApi->defaultButton() : kDefaultButtonNone) {
    case kDefaultButtonYes:
        return qtTrId("BUTTON_YES");
    case kDefaultButtonNo:
        return qtTrId("BUTTON_NO");
    case kDefaultButtonSnooze:
        return qtTrId("BUTTON_SNOOZE");
    case kDefaultButtonContinue:
        return qtTrId("BUTTON_CONTINUE");
    case kDefaultButtonCancel:
        return qtTrId("BUTTON_CANCEL");
    default:
        return m_choices >= 1 ? m_nextBtn->text() : QString();
    }
}

// A replaced message, or a new page with its place, message and time-out,
// is announced once the page is complete; the dialog's appearance reads the
// first one.
void AppController::announceMessage()
{
    if (!m_mainWindow->isVisible()) {
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            QStringList parts{messageText()};
            if (m_choices >= 2) {
                parts = QStringList{pageCounterSpokenText(), messageText(), autoAnswerNotice()};
            }
            parts.removeAll(QString());
            m_announcer->announce(parts.join(QLatin1Char('\n')));
        },
        Qt::QueuedConnection);
}

// "Page 2 of 3"
QString AppController::pageCounterSpokenText() const
{
    return qtTrId("ACCESSIBLE_PAGE_OF").arg(m_currentChoice + 1).arg(m_choices);
}

void AppController::setupKeyboard()
{
    // Escape is the title bar's close button: the same close event, reason 7.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_mainWindow.get());
    connect(escape, &QShortcut::activated, this, [this] { m_mainWindow->close(); });
    for (QPushButton* button : {m_okBtn, m_cancelBtn, m_snoozeBtn, m_yesBtn, m_noBtn, m_backBtn, m_nextBtn}) {
        button->installEventFilter(this);
    }
    m_messageTxtView->installEventFilter(this);
    m_messageView->installEventFilter(this);
    m_snoozeOptionsCbo->installEventFilter(this);
}

bool AppController::filterDesktopEvent(QObject* watched, QEvent* event)
{
    // Return and Enter press the focused button (no button is a default,
    // so they answer nothing while the message has the focus).
    if (auto* button = qobject_cast<QPushButton*>(watched); button != nullptr && IsEnterKey(event)) {
        button->click();
        return true;
    }
    // A ring in the accent colour, in the message view's 2 px margin, shows
    // that the message has the keyboard focus.
    if (watched == m_messageTxtView &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        m_messageView->update();
    }
    if (watched == m_messageView && event->type() == QEvent::Paint && m_messageTxtView->hasFocus()) {
        QPainter painter(m_messageView);
        painter.setPen(QPen(kAccent, 2));
        painter.drawRect(QRectF(m_messageView->rect()).adjusted(1, 1, -1, -1));
    }
    // The snooze list's label comes and goes with the list.
    if (watched == m_snoozeOptionsCbo &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        m_snoozeLabel->setVisible(event->type() == QEvent::ShowToParent);
    }
    return false;
}
