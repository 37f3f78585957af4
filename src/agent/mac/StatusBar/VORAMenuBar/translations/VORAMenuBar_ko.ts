<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>연결됨</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>연결 끊김</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>상태</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>VORA 에이전트 도우미에 연결할 수 없습니다</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>VORA 에이전트 도우미가 중지되었습니다</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>VORA 에이전트 도우미와의 연결이 끊어졌습니다</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>허용되지 않음: 관리자가 이 작업을 승인해야 합니다</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>버전</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>빌드</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>인벤토리 실행</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>에이전트 다시 시작</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>VORA 정보</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>종료</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>권한을 확인할 수 없습니다: 시스템 인증 서비스가 응답하지 않았습니다</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>VORA 에이전트</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>VORA 에이전트: 연결됨</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>VORA 에이전트: 연결 끊김</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>VORA 에이전트: %1</translation>
    </message>
</context>
</TS>
