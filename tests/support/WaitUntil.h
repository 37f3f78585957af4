#pragma once

#include <functional>

class QProcess;

// Runs the event loop until `condition` holds or `timeoutMs` have passed;
// returns whether it held. For waiting on timers and other processes, never
// as a timing assertion.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// Waits until `process` has ended. QProcess::waitForFinished answers false
// for a process whose end the event loop has already seen (a WaitUntil for
// another process ran meanwhile): that one has ended as well.
bool WaitForEnd(QProcess& process, int timeoutMs);
