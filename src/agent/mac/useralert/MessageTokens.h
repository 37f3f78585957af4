#pragma once

#include <cstddef>

// Tokens the agent writes into dialog texts, replaced by the localized
// string of their key, in this order (a token inside a replacement is only
// expanded by the tokens after it).
struct MessageToken
{
    const char* token;
    const char* key;
};

inline constexpr MessageToken kMessageTokens[] = {
    {"@(Installing)", "TOKEN_FS_INSTALLING"},
    {"@(Downloading)", "TOKEN_FS_DOWNLOADING"},
    {"@(Completed)", "TOKEN_FS_COMPLETED"},
    {"@(FSFinished)", "TOKEN_FS_FINISHED"},
    {"@(ReadyInstall)", "TOKEN_MI_READYINSTALL"},
    {"@(InstallingUpdates)", "TOKEN_MI_INSTALLINGUPDATES"},
    {"@(Uninstalling)", "TOKEN_MI_UNINSTALLING"},
    {"@(Executing)", "TOKEN_MI_EXECUTING"},
    {"@(DLInstalling)", "TOKEN_MI_DLINSTALLING"},
    {"@(DLFailed)", "TOKEN_MI_DLFAILED"},
    {"@(InstallComplete)", "TOKEN_MI_INSTALLCOMPLETE"},
    {"@(SnoozeDuration)", "TOKEN_MI_SNOOZEDURATION"},
    {"@(PleaseInstall)", "TOKEN_MI_PLEASEINSTALL"},
    {"@(UpdatingApps)", "TOKEN_MI_UPDATINGAPPS"},
    {"@(title_vdeploy_fs)", "TOKEN_TITLE_VDEPLOY_FS"},
    {"@(name_patchingreboot)", "TOKEN_NAME_PATCHINGREBOOT"},
    {"@(title_patchingreboot)", "TOKEN_TITLE_PATCHINGREBOOT"},
    {"@(message_patchingreboot)", "TOKEN_MESSAGE_PATCHINGREBOOT"},
    {"@(name_patchingreboot2)", "TOKEN_NAME_PATCHINGREBOOT2"},
    {"@(title_patchingreboot2)", "TOKEN_TITLE_PATCHINGREBOOT2"},
    {"@(message_patchingreboot2)", "TOKEN_MESSAGE_PATCHINGREBOOT2"},
    {"@(name_desktopalert)", "TOKEN_NAME_DESKTOPALERT"},
    {"@(title_desktopalert)", "TOKEN_TITLE_DESKTOPALERT"},
    {"@(name_patching)", "TOKEN_NAME_PATCHING"},
    {"@(title_patching)", "TOKEN_TITLE_PATCHING"},
    {"@(title_appcontrol)", "TOKEN_TITLE_APPCONTROL"},
    {"@(message_appcontrol)", "TOKEN_MESSAGE_APPCONTROL"},
};

// The token after whose replacement the company name is put in.
inline constexpr size_t kCompanyNameToken = 21;

// The six snooze entries, in the order of their index.
inline constexpr const char* kSnoozeEntryKeys[] = {
    "CBO_SNOOZEHOURS0", "CBO_SNOOZEHOURS1", "CBO_SNOOZEHOURS2",
    "CBO_SNOOZEHOURS4", "CBO_SNOOZEHOURS6", "CBO_SNOOZEHOURS8",
};

// Every other key of the dialog's string table.
inline constexpr const char* kDialogStringKeys[] = {
    "BUTTON_OK",
    "BUTTON_CANCEL",
    "BUTTON_SNOOZE",
    "BUTTON_YES",
    "BUTTON_NO",
    "BUTTON_BACK",
    "BUTTON_NEXT",
    "BUTTON_FINISH",
    "BUTTON_CONTINUE",
    "ERROR_MISSINGPARAMS",
    "ERROR_USAGE",
    "ERROR_UNKNOWNPARAMETER",
    "ERROR_INVALIDPARAMETER",
    "ACCESSIBLE_LOGO",
    "ACCESSIBLE_PROGRESS",
    "ACCESSIBLE_MESSAGE",
    "ACCESSIBLE_SNOOZE",
    "ACCESSIBLE_PAGE",
    "ACCESSIBLE_SHOWN_AT",
    "ACCESSIBLE_SHOWN_AT_VALUE",
    "ACCESSIBLE_PAGE_OF",
};
