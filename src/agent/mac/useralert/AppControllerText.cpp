// AppController: the text pipeline (tokens, company name, message view),
// time-outs, and paging of multi-page dialogs.
#include "AppController.h"

#include "LinkDetection.h"
#include "MessageTokens.h"
#include "VuaAPI.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBrowser>

#include <algorithm>

void AppController::startTimedoutTimer(double seconds)
{
    log(QString::asprintf("VUserAlert    timeout set to %f seconds", seconds));
    setTimedOutTimer(makeTimer(seconds, &AppController::timedOut, Qt::PreciseTimer));
}

void AppController::timedOut(QTimer* /*timer*/)
{
    setTimedOutTimer(nullptr);
    m_exitState->setTimedOut(true);
    if (m_choices < 1) {
        startCloseDialog(kCloseTimedOut);
        return;
    }
    if (m_currentChoice >= 0 && m_currentChoice < m_messageChunks.size()) {
        m_messageChunks[m_currentChoice].setTimedOut(true);
    }
    nextBtnClicked();
}

std::optional<QString> AppController::expandToken(const QString& text, const QString& token,
                                                  const char* key) const
{
    if (!text.contains(token)) {
        return std::nullopt;
    }
    QString expanded(text);
    expanded.replace(token, qtTrId(key));
    return expanded;
}

// "@(Installing) Editor" -> "Installing Editor"; "@(unknown)" -> nothing
// (logged), and the caller shows the text as it is.
std::optional<QString> AppController::expandTokens(const QString& text)
{
    if (!text.contains(QLatin1String("@("))) {
        return text;
    }
    QString result(text);
    for (size_t i = 0; i < std::size(kMessageTokens); ++i) {
        const MessageToken& token = kMessageTokens[i];
        const std::optional<QString> expanded = expandToken(result, QLatin1String(token.token), token.key);
        if (!expanded) {
            continue;
        }
        result = *expanded;
        if (i == kCompanyNameToken) {
            result = m_vuaApi->replaceCompanyName(result);
        }
    }
    if (result == text) {
        log(QStringLiteral("VUserAlert    WARNING: unknown token found in message: [%1]").arg(text));
        return std::nullopt;
    }
    return result;
}

// Qt lays a paragraph out whole before it paints anything: a megabyte
// without a blank took more than a minute, and the dialog obeyed neither EXIT
// nor its time-out meanwhile. What is shown keeps the text's start up to a
// bound that lays out in a few milliseconds; the log says where it was cut.
//   30 000 characters -> the first 20 000, and "message cut at 20000 of 30000"
QString AppController::boundedText(const QString& text) const
{
    if (text.size() <= kMaxShownCharacters) {
        return text;
    }
    qsizetype cut = kMaxShownCharacters;
    if (text.at(cut - 1).isHighSurrogate()) {
        --cut; // never half a character
    }
    m_vuaApi->logError(
        QStringLiteral("VUserAlert:  message cut at %1 of %2 characters: the rest is not shown")
            .arg(cut)
            .arg(text.size())
            .toStdString());
    return text.left(cut);
}

// An agent streams progress through appended lines: past the bound the
// newest text stays and the oldest goes, cut at a line break (else at a
// blank) and marked with an ellipsis; the log says how much went.
//   19 990 characters, then "40 %" appended -> "…\n" and the lines that fit
QString AppController::boundedTail(const QString& text) const
{
    if (text.size() <= kMaxShownCharacters) {
        return text;
    }
    const qsizetype earliest = text.size() - (kMaxShownCharacters - 2); // room for "…" and a separator
    const qsizetype reach = kMaxShownCharacters / 10;
    qsizetype start = earliest;
    QString mark(QChar(0x2026));
    const qsizetype line =
        text.at(earliest - 1) == QLatin1Char('\n') ? earliest - 1 : text.indexOf('\n', earliest);
    const qsizetype blank = text.indexOf(QLatin1Char(' '), earliest);
    if (line >= 0 && line - earliest < reach) {
        start = line + 1;
        mark += QLatin1Char('\n');
    } else if (blank >= 0 && blank - earliest < reach) {
        start = blank + 1;
        mark += QLatin1Char(' ');
    } else if (text.at(start).isLowSurrogate()) {
        ++start; // never half a character
    }
    m_vuaApi->logError(
        QStringLiteral("VUserAlert:  message cut at its start: the first %1 of %2 characters are not shown")
            .arg(start)
            .arg(text.size())
            .toStdString());
    return mark + text.mid(start);
}

// A new message keeps its start and opens at its top; appended text keeps
// the newest end, and the view follows it only when the user was reading
// the end (one scrolled up to read stays where they were). A new message's
// bound counts the message, not the " * " the dialog puts before it: one of
// exactly 20 000 characters is shown whole.
void AppController::displayMessageText(const QString& text, bool append)
{
    const QString prefix = QStringLiteral(" * ");
    const QScrollBar* scroll = m_messageTxtView->verticalScrollBar();
    const int reading = scroll->value() >= scroll->maximum() ? kMessageEnd : scroll->value();
    const int cursor = m_messageTxtView->textCursor().position();
    QString content;
    if (append) {
        const QString added = expandTokens(text).value_or(text);
        content = boundedTail(messageText() + QLatin1Char('\n') + prefix + added);
    } else {
        const QString head = boundedText(text);
        content = prefix + boundedText(expandTokens(head).value_or(head));
    }
    m_messageView->show();
    {
        const QScopedValueRollback ownScrolling(m_scrollingMessage, true);
        SetTextWithDetectedLinks(*m_messageTxtView->document(), content, m_detectLinks);
        // The view's cursor is where keys (and a focus change) take the view.
        QTextCursor place(m_messageTxtView->document());
        const int last = m_messageTxtView->document()->characterCount() - 1;
        place.setPosition(!append ? 0 : reading == kMessageEnd ? last : std::min(cursor, last));
        m_messageTxtView->setTextCursor(place);
    }
    m_messageScrollTarget = append ? reading : 0;
    keepMessageScroll();
    if (!append) {
        announceMessage();
    }
}

// The text is laid out in steps after it is set, and the scroll range grows
// with each: the view is held at its target (top, a reading place, or the
// end) until the user scrolls it.
void AppController::keepMessageScroll()
{
    if (m_messageScrollTarget < 0) {
        return;
    }
    const QScopedValueRollback ownScrolling(m_scrollingMessage, true);
    m_messageTxtView->verticalScrollBar()->setValue(m_messageScrollTarget); // kMessageEnd: held at the end
}

void AppController::watchMessageScroll()
{
    QScrollBar* scroll = m_messageTxtView->verticalScrollBar();
    connect(scroll, &QScrollBar::rangeChanged, this, &AppController::keepMessageScroll);
    connect(scroll, &QScrollBar::valueChanged, this, [this] {
        if (!m_scrollingMessage) {
            m_messageScrollTarget = -1; // the user's own place from now on
        }
    });
}

QString AppController::messageText() const
{
    return m_messageTxtView->toPlainText();
}

void AppController::setupMultiMessages(const QList<MessageChunk>& chunks, bool showSnooze)
{
    m_showSnoozeChoices = showSnooze;
    m_messageChunks = chunks;
    m_currentChoice = 0;
    m_choices = static_cast<int>(chunks.size());
    if (showSnooze) {
        m_snoozeOptionsCbo->clear();
        for (const char* key : kSnoozeEntryKeys) {
            m_snoozeOptionsCbo->addItem(qtTrId(key));
        }
        m_snoozeOptionsCbo->setCurrentIndex(0);
        m_snoozeOptionsCbo->show();
        for (int page = 0; page < m_choices; ++page) {
            m_snoozeSelections.append(0);
        }
    }
    if (m_choices > 0) {
        displayCurrentChoice();
    }
}

void AppController::displayCurrentChoice()
{
    if (m_currentChoice < 0 || m_currentChoice >= m_messageChunks.size()) {
        return;
    }
    const bool lastPage = m_currentChoice == m_choices - 1;
    m_backBtn->setVisible(m_currentChoice > 0);

    const char* nextKey = lastPage ? "BUTTON_CONTINUE" : "BUTTON_NEXT";
    if (!m_isPreInstall) {
        nextKey = (lastPage || m_choices < 2) ? "BUTTON_FINISH" : "BUTTON_NEXT";
    }
    m_nextBtn->setText(qtTrId(nextKey));
    m_nextBtn->setAccessibleName(m_nextBtn->text());

    if (m_showSnoozeChoices) {
        m_snoozeOptionsCbo->setCurrentIndex(m_snoozeSelections.value(m_currentChoice, 0));
    }
    if (m_choices >= 2) {
        m_pageCounterTxtFld->setText(QStringLiteral("%1 / %2").arg(m_currentChoice + 1).arg(m_choices));
        m_pageCounterTxtFld->show();
    } else {
        m_pageCounterTxtFld->hide();
    }

    MessageChunk& chunk = m_messageChunks[m_currentChoice];
    chunk.setTimedOut(false);
    displayMessageText(QStringLiteral("%1:\n%2").arg(chunk.packageName(), chunk.message()), false);
    setTimedOutTimer(makeTimer(chunk.timeOutSecs(), &AppController::timedOut, Qt::PreciseTimer));
}

void AppController::storeSnoozeSelection()
{
    if (m_showSnoozeChoices && m_currentChoice >= 0 && m_currentChoice < m_snoozeSelections.size()) {
        m_snoozeSelections[m_currentChoice] = m_snoozeOptionsCbo->currentIndex();
    }
}

void AppController::backBtnClicked()
{
    setTimedOutTimer(nullptr);
    storeSnoozeSelection();
    if (m_currentChoice > 0) {
        --m_currentChoice;
    }
    displayCurrentChoice();
}

void AppController::nextBtnClicked()
{
    setTimedOutTimer(nullptr);
    storeSnoozeSelection();
    if (m_currentChoice < m_choices - 1) {
        ++m_currentChoice;
        displayCurrentChoice();
        return;
    }
    startCloseDialog(kCloseLastPage);
}
