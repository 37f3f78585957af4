<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>VUserAlert</name>
    <message id="BUTTON_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="BUTTON_CANCEL">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="BUTTON_SNOOZE">
        <source>Snooze</source>
        <translation>Snooze</translation>
    </message>
    <message id="BUTTON_YES">
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message id="BUTTON_NO">
        <source>No</source>
        <translation>No</translation>
    </message>
    <message id="BUTTON_BACK">
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message id="BUTTON_NEXT">
        <source>Next</source>
        <translation>Next</translation>
    </message>
    <message id="BUTTON_FINISH">
        <source>Finish</source>
        <translation>Finish</translation>
    </message>
    <message id="BUTTON_CONTINUE">
        <source>Continue</source>
        <translation>Continue</translation>
    </message>
    <message id="ERROR_MISSINGPARAMS">
        <source>Missing parameters</source>
        <translation>Missing parameters</translation>
    </message>
    <message id="ERROR_USAGE">
        <source>How to use VUserAlert</source>
        <translation>How to use VUserAlert</translation>
    </message>
    <message id="ERROR_UNKNOWNPARAMETER">
        <source>Unknown parameter.</source>
        <translation>Unknown parameter.</translation>
    </message>
    <message id="ERROR_INVALIDPARAMETER">
        <source>Invalid parameter</source>
        <translation>Invalid parameter</translation>
    </message>
    <message id="ACCESSIBLE_LOGO">
        <source>Company logo</source>
        <translation>Company logo</translation>
    </message>
    <message id="ACCESSIBLE_PROGRESS">
        <source>Work in progress</source>
        <translation>Work in progress</translation>
    </message>
    <message id="ACCESSIBLE_MESSAGE">
        <source>Message</source>
        <translation>Message</translation>
    </message>
    <message id="ACCESSIBLE_SNOOZE">
        <source>Remind me in</source>
        <translation>Remind me in</translation>
    </message>
    <message id="ACCESSIBLE_PAGE">
        <source>Page</source>
        <translation>Page</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT">
        <source>Shown at</source>
        <translation>Shown at</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT_VALUE">
        <source>Shown at %1</source>
        <translation>Shown at %1</translation>
    </message>
    <message id="ACCESSIBLE_PAGE_OF">
        <source>Page %1 of %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message id="CBO_SNOOZEHOURS0">
        <source>Do not snooze</source>
        <translation>Do not snooze</translation>
    </message>
    <message id="CBO_SNOOZEHOURS1">
        <source>1 hour</source>
        <translation>1 hour</translation>
    </message>
    <message id="CBO_SNOOZEHOURS2">
        <source>2 hours</source>
        <translation>2 hours</translation>
    </message>
    <message id="CBO_SNOOZEHOURS4">
        <source>4 hours</source>
        <translation>4 hours</translation>
    </message>
    <message id="CBO_SNOOZEHOURS6">
        <source>6 hours</source>
        <translation>6 hours</translation>
    </message>
    <message id="CBO_SNOOZEHOURS8">
        <source>8 hours</source>
        <translation>8 hours</translation>
    </message>
    <message id="TOKEN_FS_INSTALLING">
        <source>Installing</source>
        <translation>Installing</translation>
    </message>
    <message id="TOKEN_FS_DOWNLOADING">
        <source>Downloading</source>
        <translation>Downloading</translation>
    </message>
    <message id="TOKEN_FS_COMPLETED">
        <source>Completed</source>
        <translation>Completed</translation>
    </message>
    <message id="TOKEN_FS_FINISHED">
        <source>Finished</source>
        <translation>Finished</translation>
    </message>
    <message id="TOKEN_MI_READYINSTALL">
        <source>The following software is ready to be installed:</source>
        <translation>The following software is ready to be installed:</translation>
    </message>
    <message id="TOKEN_MI_INSTALLINGUPDATES">
        <source>Installing updates. Please keep your computer switched on.</source>
        <translation>Installing updates. Please keep your computer switched on.</translation>
    </message>
    <message id="TOKEN_MI_UNINSTALLING">
        <source>Uninstalling</source>
        <translation>Uninstalling</translation>
    </message>
    <message id="TOKEN_MI_EXECUTING">
        <source>Running</source>
        <translation>Running</translation>
    </message>
    <message id="TOKEN_MI_DLINSTALLING">
        <source>Downloading and installing</source>
        <translation>Downloading and installing</translation>
    </message>
    <message id="TOKEN_MI_DLFAILED">
        <source>The download failed. It will be tried again later.</source>
        <translation>The download failed. It will be tried again later.</translation>
    </message>
    <message id="TOKEN_MI_INSTALLCOMPLETE">
        <source>Installation complete.</source>
        <translation>Installation complete.</translation>
    </message>
    <message id="TOKEN_MI_SNOOZEDURATION">
        <source>Choose when to be reminded again:</source>
        <translation>Choose when to be reminded again:</translation>
    </message>
    <message id="TOKEN_MI_PLEASEINSTALL">
        <source>Please save your work and close your applications before the installation starts.</source>
        <translation>Please save your work and close your applications before the installation starts.</translation>
    </message>
    <message id="TOKEN_MI_UPDATINGAPPS">
        <source>Updating applications</source>
        <translation>Updating applications</translation>
    </message>
    <message id="TOKEN_TITLE_VDEPLOY_FS">
        <source>Software Deployment</source>
        <translation>Software Deployment</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT">
        <source>Restart Required</source>
        <translation>Restart Required</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT">
        <source>Your computer needs to restart</source>
        <translation>Your computer needs to restart</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT">
        <source>Updates have been installed. Restart your computer to finish installing them.</source>
        <translation>Updates have been installed. Restart your computer to finish installing them.</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT2">
        <source>Restart Pending</source>
        <translation>Restart Pending</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT2">
        <source>Restart to complete the updates</source>
        <translation>Restart to complete the updates</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT2">
        <source>Your computer will restart automatically when the time runs out. Save your work now.</source>
        <translation>Your computer will restart automatically when the time runs out. Save your work now.</translation>
    </message>
    <message id="TOKEN_NAME_DESKTOPALERT">
        <source>VORA Desktop Alert</source>
        <translation>VORA Desktop Alert</translation>
    </message>
    <message id="TOKEN_TITLE_DESKTOPALERT">
        <source>A message from your IT department</source>
        <translation>A message from your IT department</translation>
    </message>
    <message id="TOKEN_NAME_PATCHING">
        <source>Patch Management</source>
        <translation>Patch Management</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHING">
        <source>Installing security updates</source>
        <translation>Installing security updates</translation>
    </message>
    <message id="TOKEN_TITLE_APPCONTROL">
        <source>Application Blocked</source>
        <translation>Application Blocked</translation>
    </message>
    <message id="TOKEN_MESSAGE_APPCONTROL">
        <source>Your administrator does not allow this application to run on this computer.</source>
        <translation>Your administrator does not allow this application to run on this computer.</translation>
    </message>
    <message id="ACCESSIBLE_ANSWERS_AT">
        <source>If you do nothing, this dialog answers %1 at %2.</source>
        <translation>If you do nothing, this dialog answers %1 at %2.</translation>
    </message>
    <message id="ACCESSIBLE_CLOSES_AT">
        <source>If you do nothing, this dialog closes at %1.</source>
        <translation>If you do nothing, this dialog closes at %1.</translation>
    </message>
    <message id="ACCESSIBLE_NEXT_PAGE_AT">
        <source>If you do nothing, this dialog goes on to the next page at %1.</source>
        <translation>If you do nothing, this dialog goes on to the next page at %1.</translation>
    </message>
</context>
</TS>
