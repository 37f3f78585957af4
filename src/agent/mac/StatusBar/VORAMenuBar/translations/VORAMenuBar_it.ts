<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>Connesso</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>Disconnesso</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>Stato</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>Impossibile raggiungere il servizio ausiliario dell'agente VORA</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>Il servizio ausiliario dell'agente VORA si è arrestato</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>Connessione al servizio ausiliario dell'agente VORA persa</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>Non consentito: un amministratore deve approvare questa azione</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>Versione</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>build</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>Esegui inventario</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>Riavvia agente</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>Informazioni su VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>Esci</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>Impossibile verificare l'autorizzazione: il servizio di autorizzazione del sistema non ha risposto</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>Agente VORA</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>Agente VORA: connesso</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>Agente VORA: disconnesso</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>Agente VORA: %1</translation>
    </message>
</context>
</TS>
