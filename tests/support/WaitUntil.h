#pragma once

#include <functional>

// Runs the event loop until `condition` holds or `timeoutMs` have passed;
// returns whether it held. For waiting on timers and other processes, never
// as a timing assertion.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
