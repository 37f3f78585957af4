<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>接続済み</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>未接続</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>ステータス</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>VORA エージェントのヘルパーに接続できません</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>VORA エージェントのヘルパーが停止しました</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>VORA エージェントのヘルパーとの接続が切れました</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>バージョン</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>ビルド</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>インベントリを収集</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>エージェントを再起動</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>VORA について</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>終了</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>許可されていません: この操作には管理者の承認が必要です</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>権限を確認できませんでした: システムの認可サービスが応答しませんでした</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>VORA エージェント</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>VORA エージェント: 接続済み</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>VORA エージェント: 未接続</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>VORA エージェント: %1</translation>
    </message>
</context>
</TS>
