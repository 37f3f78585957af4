#include "VUAConfig.h"

void VUAConfig::Reset()
{
    defaultButton = 0;
    multiMessages.clear();
    message.clear();
    title.clear();
    okBtn = false;
    yesNoBtn = false;
    cancelBtn = false;
    snoozeBtn = false;
    noButtons = false;
    fade = false;
    multiMessageMode = false;
    multiIsPreinstall = true;
    multiSnoozeMessageMode = false;
    timeout = 0;
}
