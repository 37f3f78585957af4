#pragma once

// The user's answer, handed to VuaAPI::teardown when the dialog closes.
class ExitState final
{
public:
    ExitState();

    bool isYesBtnClicked() const { return m_yesBtnClicked; }
    void setYesBtnClicked(bool clicked) { m_yesBtnClicked = clicked; }
    bool isContinueBtnClicked() const { return m_continueBtnClicked; }
    void setContinueBtnClicked(bool clicked) { m_continueBtnClicked = clicked; }
    bool isTimedOut() const { return m_timedOut; }
    void setTimedOut(bool timedOut) { m_timedOut = timedOut; }
    bool isCancelBtnClicked() const { return m_cancelBtnClicked; }
    void setCancelBtnClicked(bool clicked) { m_cancelBtnClicked = clicked; }
    bool isSnoozeBtnClicked() const { return m_snoozeBtnClicked; }
    void setSnoozeBtnClicked(bool clicked) { m_snoozeBtnClicked = clicked; }
    int exitVal() const { return m_exitVal; }
    void setExitVal(int exitVal) { m_exitVal = exitVal; }

private:
    bool m_yesBtnClicked;
    bool m_continueBtnClicked;
    bool m_timedOut;
    bool m_cancelBtnClicked;
    bool m_snoozeBtnClicked;
    int m_exitVal; // close reason 1 to 9
};
