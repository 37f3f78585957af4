#pragma once

#include <functional>

class QObject;

// Stand-in for asynchronous dispatch to the main queue: `work` runs later
// on the main thread's event loop, after the current event. With a
// `context`, it is dropped if the context is destroyed first.
void DispatchAsyncMain(std::function<void()> work, QObject* context = nullptr);
