<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>VUserAlert</name>
    <message id="BUTTON_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="BUTTON_CANCEL">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="BUTTON_SNOOZE">
        <source>Snooze</source>
        <translation>Später</translation>
    </message>
    <message id="BUTTON_YES">
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message id="BUTTON_NO">
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message id="BUTTON_BACK">
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message id="BUTTON_NEXT">
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message id="BUTTON_FINISH">
        <source>Finish</source>
        <translation>Fertigstellen</translation>
    </message>
    <message id="BUTTON_CONTINUE">
        <source>Continue</source>
        <translation>Fortfahren</translation>
    </message>
    <message id="ERROR_MISSINGPARAMS">
        <source>Missing parameters</source>
        <translation>Fehlende Parameter</translation>
    </message>
    <message id="ERROR_USAGE">
        <source>How to use VUserAlert</source>
        <translation>Verwendung von VUserAlert</translation>
    </message>
    <message id="ERROR_UNKNOWNPARAMETER">
        <source>Unknown parameter.</source>
        <translation>Unbekannter Parameter.</translation>
    </message>
    <message id="ERROR_INVALIDPARAMETER">
        <source>Invalid parameter</source>
        <translation>Ungültiger Parameter</translation>
    </message>
    <message id="ACCESSIBLE_LOGO">
        <source>Company logo</source>
        <translation>Firmenlogo</translation>
    </message>
    <message id="ACCESSIBLE_PROGRESS">
        <source>Work in progress</source>
        <translation>Vorgang läuft</translation>
    </message>
    <message id="ACCESSIBLE_MESSAGE">
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message id="ACCESSIBLE_SNOOZE">
        <source>Remind me in</source>
        <translation>Erinnern in</translation>
    </message>
    <message id="ACCESSIBLE_PAGE">
        <source>Page</source>
        <translation>Seite</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT">
        <source>Shown at</source>
        <translation>Angezeigt um</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT_VALUE">
        <source>Shown at %1</source>
        <translation>Angezeigt um %1</translation>
    </message>
    <message id="ACCESSIBLE_PAGE_OF">
        <source>Page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
    <message id="CBO_SNOOZEHOURS0">
        <source>Do not snooze</source>
        <translation>Nicht verschieben</translation>
    </message>
    <message id="CBO_SNOOZEHOURS1">
        <source>1 hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message id="CBO_SNOOZEHOURS2">
        <source>2 hours</source>
        <translation>2 Stunden</translation>
    </message>
    <message id="CBO_SNOOZEHOURS4">
        <source>4 hours</source>
        <translation>4 Stunden</translation>
    </message>
    <message id="CBO_SNOOZEHOURS6">
        <source>6 hours</source>
        <translation>6 Stunden</translation>
    </message>
    <message id="CBO_SNOOZEHOURS8">
        <source>8 hours</source>
        <translation>8 Stunden</translation>
    </message>
    <message id="TOKEN_FS_INSTALLING">
        <source>Installing</source>
        <translation>Installation läuft</translation>
    </message>
    <message id="TOKEN_FS_DOWNLOADING">
        <source>Downloading</source>
        <translation>Download läuft</translation>
    </message>
    <message id="TOKEN_FS_COMPLETED">
        <source>Completed</source>
        <translation>Abgeschlossen</translation>
    </message>
    <message id="TOKEN_FS_FINISHED">
        <source>Finished</source>
        <translation>Fertig</translation>
    </message>
    <message id="TOKEN_MI_READYINSTALL">
        <source>The following software is ready to be installed:</source>
        <translation>Die folgende Software ist bereit zur Installation:</translation>
    </message>
    <message id="TOKEN_MI_INSTALLINGUPDATES">
        <source>Installing updates. Please keep your computer switched on.</source>
        <translation>Updates werden installiert. Bitte lassen Sie Ihren Computer eingeschaltet.</translation>
    </message>
    <message id="TOKEN_MI_UNINSTALLING">
        <source>Uninstalling</source>
        <translation>Deinstallation läuft</translation>
    </message>
    <message id="TOKEN_MI_EXECUTING">
        <source>Running</source>
        <translation>Wird ausgeführt</translation>
    </message>
    <message id="TOKEN_MI_DLINSTALLING">
        <source>Downloading and installing</source>
        <translation>Download und Installation laufen</translation>
    </message>
    <message id="TOKEN_MI_DLFAILED">
        <source>The download failed. It will be tried again later.</source>
        <translation>Der Download ist fehlgeschlagen. Er wird später erneut versucht.</translation>
    </message>
    <message id="TOKEN_MI_INSTALLCOMPLETE">
        <source>Installation complete.</source>
        <translation>Installation abgeschlossen.</translation>
    </message>
    <message id="TOKEN_MI_SNOOZEDURATION">
        <source>Choose when to be reminded again:</source>
        <translation>Wählen Sie, wann Sie erneut erinnert werden möchten:</translation>
    </message>
    <message id="TOKEN_MI_PLEASEINSTALL">
        <source>Please save your work and close your applications before the installation starts.</source>
        <translation>Bitte speichern Sie Ihre Arbeit und schließen Sie Ihre Programme, bevor die Installation beginnt.</translation>
    </message>
    <message id="TOKEN_MI_UPDATINGAPPS">
        <source>Updating applications</source>
        <translation>Programme werden aktualisiert</translation>
    </message>
    <message id="TOKEN_TITLE_VDEPLOY_FS">
        <source>Software Deployment</source>
        <translation>Softwareverteilung</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT">
        <source>Restart Required</source>
        <translation>Neustart erforderlich</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT">
        <source>Your computer needs to restart</source>
        <translation>Ihr Computer muss neu gestartet werden</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT">
        <source>Updates have been installed. Restart your computer to finish installing them.</source>
        <translation>Updates wurden installiert. Starten Sie Ihren Computer neu, um die Installation abzuschließen.</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT2">
        <source>Restart Pending</source>
        <translation>Neustart ausstehend</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT2">
        <source>Restart to complete the updates</source>
        <translation>Neustart zum Abschließen der Updates</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT2">
        <source>Your computer will restart automatically when the time runs out. Save your work now.</source>
        <translation>Ihr Computer wird nach Ablauf der Zeit automatisch neu gestartet. Speichern Sie jetzt Ihre Arbeit.</translation>
    </message>
    <message id="TOKEN_NAME_DESKTOPALERT">
        <source>VORA Desktop Alert</source>
        <translation>VORA-Desktopmeldung</translation>
    </message>
    <message id="TOKEN_TITLE_DESKTOPALERT">
        <source>A message from your IT department</source>
        <translation>Eine Nachricht Ihrer IT-Abteilung</translation>
    </message>
    <message id="TOKEN_NAME_PATCHING">
        <source>Patch Management</source>
        <translation>Patch-Verwaltung</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHING">
        <source>Installing security updates</source>
        <translation>Sicherheitsupdates werden installiert</translation>
    </message>
    <message id="TOKEN_TITLE_APPCONTROL">
        <source>Application Blocked</source>
        <translation>Programm blockiert</translation>
    </message>
    <message id="TOKEN_MESSAGE_APPCONTROL">
        <source>Your administrator does not allow this application to run on this computer.</source>
        <translation>Ihr Administrator erlaubt die Ausführung dieses Programms auf diesem Computer nicht.</translation>
    </message>
    <message id="ACCESSIBLE_ANSWERS_AT">
        <source>If you do nothing, this dialog answers %1 at %2.</source>
        <translation>Wenn Sie nichts tun, antwortet dieser Dialog um %2 mit „%1“.</translation>
    </message>
    <message id="ACCESSIBLE_CLOSES_AT">
        <source>If you do nothing, this dialog closes at %1.</source>
        <translation>Wenn Sie nichts tun, schließt sich dieser Dialog um %1.</translation>
    </message>
    <message id="ACCESSIBLE_NEXT_PAGE_AT">
        <source>If you do nothing, this dialog goes on to the next page at %1.</source>
        <translation>Wenn Sie nichts tun, wechselt dieser Dialog um %1 zur nächsten Seite.</translation>
    </message>
</context>
</TS>
