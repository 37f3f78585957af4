<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>Disconnected</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>Can't reach the VORA agent helper</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>The VORA agent helper stopped</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>Lost the connection to the VORA agent helper</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>Not allowed: an administrator must approve this action</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>Build</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>Run Inventory</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>Restart Agent</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>About VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>Permission could not be checked: the system's authorization service did not answer</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>VORA agent</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>VORA agent: connected</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>VORA agent: disconnected</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>VORA agent: %1</translation>
    </message>
</context>
</TS>
