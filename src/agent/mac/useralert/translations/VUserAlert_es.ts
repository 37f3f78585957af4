<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en_US">
<context>
    <name>VUserAlert</name>
    <message id="BUTTON_OK">
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message id="BUTTON_CANCEL">
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message id="BUTTON_SNOOZE">
        <source>Snooze</source>
        <translation>Posponer</translation>
    </message>
    <message id="BUTTON_YES">
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
    <message id="BUTTON_NO">
        <source>No</source>
        <translation>No</translation>
    </message>
    <message id="BUTTON_BACK">
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message id="BUTTON_NEXT">
        <source>Next</source>
        <translation>Siguiente</translation>
    </message>
    <message id="BUTTON_FINISH">
        <source>Finish</source>
        <translation>Finalizar</translation>
    </message>
    <message id="BUTTON_CONTINUE">
        <source>Continue</source>
        <translation>Continuar</translation>
    </message>
    <message id="ERROR_MISSINGPARAMS">
        <source>Missing parameters</source>
        <translation>Faltan parámetros</translation>
    </message>
    <message id="ERROR_USAGE">
        <source>How to use VUserAlert</source>
        <translation>Cómo usar VUserAlert</translation>
    </message>
    <message id="ERROR_UNKNOWNPARAMETER">
        <source>Unknown parameter.</source>
        <translation>Parámetro desconocido.</translation>
    </message>
    <message id="ERROR_INVALIDPARAMETER">
        <source>Invalid parameter</source>
        <translation>Parámetro no válido</translation>
    </message>
    <message id="ACCESSIBLE_LOGO">
        <source>Company logo</source>
        <translation>Logotipo de la empresa</translation>
    </message>
    <message id="ACCESSIBLE_PROGRESS">
        <source>Work in progress</source>
        <translation>Operación en curso</translation>
    </message>
    <message id="ACCESSIBLE_MESSAGE">
        <source>Message</source>
        <translation>Mensaje</translation>
    </message>
    <message id="ACCESSIBLE_SNOOZE">
        <source>Remind me in</source>
        <translation>Recordármelo dentro de</translation>
    </message>
    <message id="ACCESSIBLE_PAGE">
        <source>Page</source>
        <translation>Página</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT">
        <source>Shown at</source>
        <translation>Mostrado el</translation>
    </message>
    <message id="CBO_SNOOZEHOURS0">
        <source>Do not snooze</source>
        <translation>No posponer</translation>
    </message>
    <message id="CBO_SNOOZEHOURS1">
        <source>1 hour</source>
        <translation>1 hora</translation>
    </message>
    <message id="CBO_SNOOZEHOURS2">
        <source>2 hours</source>
        <translation>2 horas</translation>
    </message>
    <message id="CBO_SNOOZEHOURS4">
        <source>4 hours</source>
        <translation>4 horas</translation>
    </message>
    <message id="CBO_SNOOZEHOURS6">
        <source>6 hours</source>
        <translation>6 horas</translation>
    </message>
    <message id="CBO_SNOOZEHOURS8">
        <source>8 hours</source>
        <translation>8 horas</translation>
    </message>
    <message id="TOKEN_FS_INSTALLING">
        <source>Installing</source>
        <translation>Instalando</translation>
    </message>
    <message id="TOKEN_FS_DOWNLOADING">
        <source>Downloading</source>
        <translation>Descargando</translation>
    </message>
    <message id="TOKEN_FS_COMPLETED">
        <source>Completed</source>
        <translation>Completado</translation>
    </message>
    <message id="TOKEN_FS_FINISHED">
        <source>Finished</source>
        <translation>Terminado</translation>
    </message>
    <message id="TOKEN_MI_READYINSTALL">
        <source>The following software is ready to be installed:</source>
        <translation>El siguiente software está listo para instalarse:</translation>
    </message>
    <message id="TOKEN_MI_INSTALLINGUPDATES">
        <source>Installing updates. Please keep your computer switched on.</source>
        <translation>Instalando actualizaciones. Mantenga el equipo encendido.</translation>
    </message>
    <message id="TOKEN_MI_UNINSTALLING">
        <source>Uninstalling</source>
        <translation>Desinstalando</translation>
    </message>
    <message id="TOKEN_MI_EXECUTING">
        <source>Running</source>
        <translation>Ejecutando</translation>
    </message>
    <message id="TOKEN_MI_DLINSTALLING">
        <source>Downloading and installing</source>
        <translation>Descargando e instalando</translation>
    </message>
    <message id="TOKEN_MI_DLFAILED">
        <source>The download failed. It will be tried again later.</source>
        <translation>La descarga ha fallado. Se volverá a intentar más tarde.</translation>
    </message>
    <message id="TOKEN_MI_INSTALLCOMPLETE">
        <source>Installation complete.</source>
        <translation>Instalación completada.</translation>
    </message>
    <message id="TOKEN_MI_SNOOZEDURATION">
        <source>Choose when to be reminded again:</source>
        <translation>Elija cuándo quiere que se le vuelva a recordar:</translation>
    </message>
    <message id="TOKEN_MI_PLEASEINSTALL">
        <source>Please save your work and close your applications before the installation starts.</source>
        <translation>Guarde su trabajo y cierre sus aplicaciones antes de que comience la instalación.</translation>
    </message>
    <message id="TOKEN_MI_UPDATINGAPPS">
        <source>Updating applications</source>
        <translation>Actualizando aplicaciones</translation>
    </message>
    <message id="TOKEN_TITLE_VDEPLOY_FS">
        <source>Software Deployment</source>
        <translation>Distribución de software</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT">
        <source>Restart Required</source>
        <translation>Reinicio necesario</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT">
        <source>Your computer needs to restart</source>
        <translation>Es necesario reiniciar el equipo</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT">
        <source>Updates have been installed. Restart your computer to finish installing them.</source>
        <translation>Se han instalado actualizaciones. Reinicie el equipo para terminar de instalarlas.</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT2">
        <source>Restart Pending</source>
        <translation>Reinicio pendiente</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT2">
        <source>Restart to complete the updates</source>
        <translation>Reinicie para completar las actualizaciones</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT2">
        <source>Your computer will restart automatically when the time runs out. Save your work now.</source>
        <translation>El equipo se reiniciará automáticamente cuando se agote el tiempo. Guarde su trabajo ahora.</translation>
    </message>
    <message id="TOKEN_NAME_DESKTOPALERT">
        <source>VORA Desktop Alert</source>
        <translation>Aviso de VORA</translation>
    </message>
    <message id="TOKEN_TITLE_DESKTOPALERT">
        <source>A message from your IT department</source>
        <translation>Un mensaje de su departamento de TI</translation>
    </message>
    <message id="TOKEN_NAME_PATCHING">
        <source>Patch Management</source>
        <translation>Gestión de parches</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHING">
        <source>Installing security updates</source>
        <translation>Instalando actualizaciones de seguridad</translation>
    </message>
    <message id="TOKEN_TITLE_APPCONTROL">
        <source>Application Blocked</source>
        <translation>Aplicación bloqueada</translation>
    </message>
    <message id="TOKEN_MESSAGE_APPCONTROL">
        <source>Your administrator does not allow this application to run on this computer.</source>
        <translation>Su administrador no permite ejecutar esta aplicación en este equipo.</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT_VALUE">
        <source>Shown at %1</source>
        <translation>Mostrado a las %1</translation>
    </message>
    <message id="ACCESSIBLE_PAGE_OF">
        <source>Page %1 of %2</source>
        <translation>Página %1 de %2</translation>
    </message>
    <message id="ACCESSIBLE_ANSWERS_AT">
        <source>If you do nothing, this dialog answers %1 at %2.</source>
        <translation>Si no hace nada, este diálogo responde «%1» a las %2.</translation>
    </message>
    <message id="ACCESSIBLE_CLOSES_AT">
        <source>If you do nothing, this dialog closes at %1.</source>
        <translation>Si no hace nada, este diálogo se cierra a las %1.</translation>
    </message>
    <message id="ACCESSIBLE_NEXT_PAGE_AT">
        <source>If you do nothing, this dialog goes on to the next page at %1.</source>
        <translation>Si no hace nada, este diálogo pasa a la página siguiente a las %1.</translation>
    </message>
</context>
</TS>
