<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>VORAMenuBar</name>
    <message id="Connected">
        <source>Connected</source>
        <translation>Connecté</translation>
    </message>
    <message id="Disconnected">
        <source>Disconnected</source>
        <translation>Déconnecté</translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>État</translation>
    </message>
    <message id="Helper XPC Error">
        <source>Helper XPC Error</source>
        <translation>Impossible de joindre le service auxiliaire de l'agent VORA</translation>
    </message>
    <message id="Helper Connection Interrupted">
        <source>Helper Connection Interrupted</source>
        <translation>Le service auxiliaire de l'agent VORA s'est arrêté</translation>
    </message>
    <message id="Helper Connection Invalidated">
        <source>Helper Connection Invalidated</source>
        <translation>Connexion au service auxiliaire de l'agent VORA perdue</translation>
    </message>
    <message id="Version">
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message id="Build">
        <source>Build</source>
        <translation>build</translation>
    </message>
    <message id="Run Inventory">
        <source>Run Inventory</source>
        <translation>Lancer l'inventaire</translation>
    </message>
    <message id="Restart Agent">
        <source>Restart Agent</source>
        <translation>Redémarrer l'agent</translation>
    </message>
    <message id="About">
        <source>About VORA</source>
        <translation>À propos de VORA</translation>
    </message>
    <message id="Quit">
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message id="Helper Access Denied">
        <source>Not allowed: an administrator must approve this action</source>
        <translation>Non autorisé : un administrateur doit approuver cette action</translation>
    </message>
    <message id="Helper Authorization Unavailable">
        <source>Permission could not be checked: the system's authorization service did not answer</source>
        <translation>Impossible de vérifier l'autorisation : le service d'autorisation du système n'a pas répondu</translation>
    </message>
    <message id="VORA agent">
        <source>VORA agent</source>
        <translation>Agent VORA</translation>
    </message>
    <message id="Tool Tip Connected">
        <source>VORA agent: connected</source>
        <translation>Agent VORA : connecté</translation>
    </message>
    <message id="Tool Tip Disconnected">
        <source>VORA agent: disconnected</source>
        <translation>Agent VORA : déconnecté</translation>
    </message>
    <message id="Tool Tip Failure">
        <source>VORA agent: %1</source>
        <translation>Agent VORA : %1</translation>
    </message>
</context>
</TS>
