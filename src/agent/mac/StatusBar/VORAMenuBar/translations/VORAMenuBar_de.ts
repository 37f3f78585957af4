<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>Der Hilfsdienst des VORA-Agenten ist nicht erreichbar</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>Der Hilfsdienst des VORA-Agenten wurde beendet</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>Verbindung zum Hilfsdienst des VORA-Agenten verloren</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>Nicht erlaubt: Ein Administrator muss diese Aktion genehmigen</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>Buildnummer</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>Inventur ausführen</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>Agent neu starten</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>Über VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>Die Berechtigung konnte nicht geprüft werden: Der Autorisierungsdienst des Systems hat nicht geantwortet</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>VORA-Agent</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>VORA-Agent: verbunden</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>VORA-Agent: nicht verbunden</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>VORA-Agent: %1</translation>
    </message>
</context>
</TS>
