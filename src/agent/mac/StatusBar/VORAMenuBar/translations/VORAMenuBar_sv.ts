<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sv_SE" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>Ansluten</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>Frånkopplad</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>Kan inte nå VORA-agentens hjälptjänst</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>VORA-agentens hjälptjänst har stoppats</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>Anslutningen till VORA-agentens hjälptjänst bröts</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>Inte tillåtet: en administratör måste godkänna åtgärden</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>bygge</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>Kör inventering</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>Starta om agenten</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>Om VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>Avsluta</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>Behörigheten kunde inte kontrolleras: systemets behörighetstjänst svarade inte</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>VORA-agent</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>VORA-agent: ansluten</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>VORA-agent: frånkopplad</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>VORA-agent: %1</translation>
    </message>
</context>
</TS>
