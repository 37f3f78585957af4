<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>VUserAlert</name>
    <message id="BUTTON_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="BUTTON_CANCEL">
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message id="BUTTON_SNOOZE">
        <source>Snooze</source>
        <translation>Reporter</translation>
    </message>
    <message id="BUTTON_YES">
        <source>Yes</source>
        <translation>Oui</translation>
    </message>
    <message id="BUTTON_NO">
        <source>No</source>
        <translation>Non</translation>
    </message>
    <message id="BUTTON_BACK">
        <source>Back</source>
        <translation>Précédent</translation>
    </message>
    <message id="BUTTON_NEXT">
        <source>Next</source>
        <translation>Suivant</translation>
    </message>
    <message id="BUTTON_FINISH">
        <source>Finish</source>
        <translation>Terminer</translation>
    </message>
    <message id="BUTTON_CONTINUE">
        <source>Continue</source>
        <translation>Continuer</translation>
    </message>
    <message id="ERROR_MISSINGPARAMS">
        <source>Missing parameters</source>
        <translation>Paramètres manquants</translation>
    </message>
    <message id="ERROR_USAGE">
        <source>How to use VUserAlert</source>
        <translation>Utilisation de VUserAlert</translation>
    </message>
    <message id="ERROR_UNKNOWNPARAMETER">
        <source>Unknown parameter.</source>
        <translation>Paramètre inconnu.</translation>
    </message>
    <message id="ERROR_INVALIDPARAMETER">
        <source>Invalid parameter</source>
        <translation>Paramètre non valide</translation>
    </message>
    <message id="ACCESSIBLE_LOGO">
        <source>Company logo</source>
        <translation>Logo de l'entreprise</translation>
    </message>
    <message id="ACCESSIBLE_PROGRESS">
        <source>Work in progress</source>
        <translation>Opération en cours</translation>
    </message>
    <message id="ACCESSIBLE_MESSAGE">
        <source>Message</source>
        <translation>Message</translation>
    </message>
    <message id="ACCESSIBLE_SNOOZE">
        <source>Remind me in</source>
        <translation>Me le rappeler dans</translation>
    </message>
    <message id="ACCESSIBLE_PAGE">
        <source>Page</source>
        <translation>Page</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT">
        <source>Shown at</source>
        <translation>Affiché le</translation>
    </message>
    <message id="CBO_SNOOZEHOURS0">
        <source>Do not snooze</source>
        <translation>Ne pas reporter</translation>
    </message>
    <message id="CBO_SNOOZEHOURS1">
        <source>1 hour</source>
        <translation>1 heure</translation>
    </message>
    <message id="CBO_SNOOZEHOURS2">
        <source>2 hours</source>
        <translation>2 heures</translation>
    </message>
    <message id="CBO_SNOOZEHOURS4">
        <source>4 hours</source>
        <translation>4 heures</translation>
    </message>
    <message id="CBO_SNOOZEHOURS6">
        <source>6 hours</source>
        <translation>6 heures</translation>
    </message>
    <message id="CBO_SNOOZEHOURS8">
        <source>8 hours</source>
        <translation>8 heures</translation>
    </message>
    <message id="TOKEN_FS_INSTALLING">
        <source>Installing</source>
        <translation>Installation en cours</translation>
    </message>
    <message id="TOKEN_FS_DOWNLOADING">
        <source>Downloading</source>
        <translation>Téléchargement en cours</translation>
    </message>
    <message id="TOKEN_FS_COMPLETED">
        <source>Completed</source>
        <translation>Terminé</translation>
    </message>
    <message id="TOKEN_FS_FINISHED">
        <source>Finished</source>
        <translation>Fini</translation>
    </message>
    <message id="TOKEN_MI_READYINSTALL">
        <source>The following software is ready to be installed:</source>
        <translation>Les logiciels suivants sont prêts à être installés :</translation>
    </message>
    <message id="TOKEN_MI_INSTALLINGUPDATES">
        <source>Installing updates. Please keep your computer switched on.</source>
        <translation>Installation des mises à jour. Veuillez laisser votre ordinateur allumé.</translation>
    </message>
    <message id="TOKEN_MI_UNINSTALLING">
        <source>Uninstalling</source>
        <translation>Désinstallation en cours</translation>
    </message>
    <message id="TOKEN_MI_EXECUTING">
        <source>Running</source>
        <translation>Exécution en cours</translation>
    </message>
    <message id="TOKEN_MI_DLINSTALLING">
        <source>Downloading and installing</source>
        <translation>Téléchargement et installation en cours</translation>
    </message>
    <message id="TOKEN_MI_DLFAILED">
        <source>The download failed. It will be tried again later.</source>
        <translation>Le téléchargement a échoué. Il sera relancé plus tard.</translation>
    </message>
    <message id="TOKEN_MI_INSTALLCOMPLETE">
        <source>Installation complete.</source>
        <translation>Installation terminée.</translation>
    </message>
    <message id="TOKEN_MI_SNOOZEDURATION">
        <source>Choose when to be reminded again:</source>
        <translation>Choisissez quand vous souhaitez recevoir un nouveau rappel :</translation>
    </message>
    <message id="TOKEN_MI_PLEASEINSTALL">
        <source>Please save your work and close your applications before the installation starts.</source>
        <translation>Veuillez enregistrer votre travail et fermer vos applications avant le début de l'installation.</translation>
    </message>
    <message id="TOKEN_MI_UPDATINGAPPS">
        <source>Updating applications</source>
        <translation>Mise à jour des applications</translation>
    </message>
    <message id="TOKEN_TITLE_VDEPLOY_FS">
        <source>Software Deployment</source>
        <translation>Déploiement de logiciels</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT">
        <source>Restart Required</source>
        <translation>Redémarrage nécessaire</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT">
        <source>Your computer needs to restart</source>
        <translation>Votre ordinateur doit redémarrer</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT">
        <source>Updates have been installed. Restart your computer to finish installing them.</source>
        <translation>Des mises à jour ont été installées. Redémarrez votre ordinateur pour terminer leur installation.</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT2">
        <source>Restart Pending</source>
        <translation>Redémarrage en attente</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT2">
        <source>Restart to complete the updates</source>
        <translation>Redémarrez pour terminer les mises à jour</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT2">
        <source>Your computer will restart automatically when the time runs out. Save your work now.</source>
        <translation>Votre ordinateur redémarrera automatiquement à la fin du délai. Enregistrez votre travail dès maintenant.</translation>
    </message>
    <message id="TOKEN_NAME_DESKTOPALERT">
        <source>VORA Desktop Alert</source>
        <translation>Alerte VORA</translation>
    </message>
    <message id="TOKEN_TITLE_DESKTOPALERT">
        <source>A message from your IT department</source>
        <translation>Un message de votre service informatique</translation>
    </message>
    <message id="TOKEN_NAME_PATCHING">
        <source>Patch Management</source>
        <translation>Gestion des correctifs</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHING">
        <source>Installing security updates</source>
        <translation>Installation des mises à jour de sécurité</translation>
    </message>
    <message id="TOKEN_TITLE_APPCONTROL">
        <source>Application Blocked</source>
        <translation>Application bloquée</translation>
    </message>
    <message id="TOKEN_MESSAGE_APPCONTROL">
        <source>Your administrator does not allow this application to run on this computer.</source>
        <translation>Votre administrateur n'autorise pas l'exécution de cette application sur cet ordinateur.</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT_VALUE">
        <source>Shown at %1</source>
        <translation>Affiché à %1</translation>
    </message>
    <message id="ACCESSIBLE_PAGE_OF">
        <source>Page %1 of %2</source>
        <translation>Page %1 sur %2</translation>
    </message>
    <message id="ACCESSIBLE_ANSWERS_AT">
        <source>If you do nothing, this dialog answers %1 at %2.</source>
        <translation>Si vous ne faites rien, cette boîte de dialogue répond « %1 » à %2.</translation>
    </message>
    <message id="ACCESSIBLE_CLOSES_AT">
        <source>If you do nothing, this dialog closes at %1.</source>
        <translation>Si vous ne faites rien, cette boîte de dialogue se ferme à %1.</translation>
    </message>
    <message id="ACCESSIBLE_NEXT_PAGE_AT">
        <source>If you do nothing, this dialog goes on to the next page at %1.</source>
        <translation>Si vous ne faites rien, cette boîte de dialogue passe à la page suivante à %1.</translation>
    </message>
</context>
</TS>
