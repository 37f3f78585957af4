<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>Połączono</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>Rozłączono</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>Stan</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>Nie można połączyć się z usługą pomocniczą agenta VORA</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>Usługa pomocnicza agenta VORA została zatrzymana</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>Utracono połączenie z usługą pomocniczą agenta VORA</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>Niedozwolone: ta czynność wymaga zgody administratora</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>Wersja</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>kompilacja</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>Przeprowadź inwentaryzację</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>Uruchom ponownie agenta</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>O programie VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>Zakończ</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>Nie można sprawdzić uprawnień: systemowa usługa autoryzacji nie odpowiedziała</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>Agent VORA</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>Agent VORA: połączono</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>Agent VORA: rozłączono</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>Agent VORA: %1</translation>
    </message>
</context>
</TS>
