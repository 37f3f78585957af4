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
</context>
</TS>
