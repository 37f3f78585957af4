// AppController: button actions and the one closing path every outcome
// takes.
#include "AppController.h"

#include "VuaAPI.h"

#include <QWidget>

namespace {

constexpr int kFadeOutStep = 30;

} // namespace

void AppController::okBtnClicked()
{
    startCloseDialog(kCloseOk);
}

void AppController::cancelBtnClicked()
{
    m_exitState->setCancelBtnClicked(true);
    startCloseDialog(kCloseCancel);
}

void AppController::snoozeBtnClicked()
{
    m_exitState->setSnoozeBtnClicked(true);
    startCloseDialog(kCloseSnooze);
}

void AppController::yesBtnClicked()
{
    m_exitState->setYesBtnClicked(true);
    startCloseDialog(kCloseYes);
}

void AppController::noBtnClicked()
{
    startCloseDialog(kCloseNo);
}

void AppController::closeMainWindow()
{
    startCloseDialog(kCloseWindowButton);
}

void AppController::startCloseDialog(int reason)
{
    m_exitState->setExitVal(reason);
    m_currentOpacity = m_opacity;
    if (m_fadeEnabled) {
        setFadeOutTimer(makeTimer(kFadeInterval, &AppController::fadeOut));
        return;
    }
    closeDialog();
}

// 240 -> 210, 180, ... 30 in 255ths; the eighth tick closes.
void AppController::fadeOut(QTimer* /*timer*/)
{
    m_currentOpacity -= kFadeOutStep;
    if (m_currentOpacity < 1) {
        setFadeOutTimer(nullptr);
        closeDialog();
        return;
    }
    adjustTransparency(m_currentOpacity);
}

// "7:1F,8:0T": chunk id, snooze index (0 without snooze lists), timed out.
bool AppController::writeSnoozeChoices()
{
    QString choicesText;
    for (int page = 0; page < m_messageChunks.size(); ++page) {
        const MessageChunk& chunk = m_messageChunks.at(page);
        const int snooze = m_showSnoozeChoices ? m_snoozeSelections.value(page, -1) : 0;
        choicesText += QStringLiteral("%1:%2%3,")
                           .arg(chunk.chunkId())
                           .arg(snooze)
                           .arg(chunk.isTimedOut() ? QLatin1Char('T') : QLatin1Char('F'));
    }
    choicesText.chop(1);
    // Through the facade: the shared directory is never written through a
    // link or into another user's file.
    return m_vuaApi->writeSnoozeChoices(choicesText.toLatin1());
}

void AppController::closeDialog()
{
    // The answer is final once written: a late second close (a marker or a
    // click during teardown's wait) must not rewrite the choices file over
    // the "snooze" line teardown appends.
    if (m_closed) {
        return;
    }
    if (m_choices >= 1) {
        log(writeSnoozeChoices()
                ? QStringLiteral("VUserAlert    closing: writing snooze choices")
                : QStringLiteral("VUserAlert    closing: ERROR trying to write snooze choices"));
    }
    m_vuaApi->teardown(*m_exitState);
    m_closed = true;
    m_mainWindow->close();
}
