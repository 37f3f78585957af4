<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR" sourcelanguage="en_US">
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
        <translation>Status</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>Não foi possível acessar o serviço auxiliar do agente VORA</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>O serviço auxiliar do agente VORA foi encerrado</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>A conexão com o serviço auxiliar do agente VORA foi perdida</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>Não permitido: um administrador precisa aprovar esta ação</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>Versão</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>compilação</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>Executar inventário</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>Reiniciar agente</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>Sobre o VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>Sair</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>Não foi possível verificar a permissão: o serviço de autorização do sistema não respondeu</translation>
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
