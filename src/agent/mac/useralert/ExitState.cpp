#include "ExitState.h"

ExitState::ExitState()
    : m_yesBtnClicked(false), m_continueBtnClicked(false), m_timedOut(false), m_cancelBtnClicked(false),
      m_snoozeBtnClicked(false), m_exitVal(0)
{
}
