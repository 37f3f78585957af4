#pragma once

class QProcess;

// Ends a test's child process as a service manager would: SIGTERM, and
// SIGKILL only when it is still running after `graceMs`. SIGTERM first lets
// the program go through its exit path, where the sanitizers' leak check
// runs too. Nothing happens for a process that is not running.
void StopProcess(QProcess& process, int graceMs = 5000);
