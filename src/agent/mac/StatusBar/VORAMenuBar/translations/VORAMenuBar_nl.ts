<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nl_NL" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>Verbonden</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>Niet verbonden</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>Kan de hulpdienst van de VORA-agent niet bereiken</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>De hulpdienst van de VORA-agent is gestopt</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>Verbinding met de hulpdienst van de VORA-agent verbroken</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>Niet toegestaan: een beheerder moet deze actie goedkeuren</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>Versie</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>build</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>Inventarisatie uitvoeren</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>Agent herstarten</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>Over VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>Stoppen</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>Machtiging kon niet worden gecontroleerd: de autorisatiedienst van het systeem reageerde niet</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>VORA-agent</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>VORA-agent: verbonden</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>VORA-agent: niet verbonden</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>VORA-agent: %1</translation>
    </message>
</context>
</TS>
