<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>已连接</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>未连接</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>无法连接到 VORA 代理的辅助服务</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>VORA 代理的辅助服务已停止</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>与 VORA 代理辅助服务的连接已断开</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>不允许：此操作需要管理员批准</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>内部版本</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>运行资产清查</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>重启代理</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>关于 VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>无法检查权限：系统授权服务没有响应</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>VORA 代理</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>VORA 代理：已连接</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>VORA 代理：未连接</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>VORA 代理：%1</translation>
    </message>
</context>
</TS>
