<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>Conectado</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>Desconectado</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>Estado</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>No se puede contactar con el servicio auxiliar del agente VORA</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>El servicio auxiliar del agente VORA se ha detenido</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>Se ha perdido la conexión con el servicio auxiliar del agente VORA</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>Versión</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>compilación</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>Ejecutar inventario</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>Reiniciar el agente</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>Acerca de VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>Salir</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>No permitido: un administrador debe aprobar esta acción</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>No se pudo comprobar el permiso: el servicio de autorización del sistema no respondió</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>Agente VORA</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>Agente VORA: conectado</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>Agente VORA: desconectado</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>Agente VORA: %1</translation>
    </message>
</context>
</TS>
