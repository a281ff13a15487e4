#pragma once

#include <functional>

class QObject;

// Synchronous delivery to the user-interface thread: a direct call when already there,
// otherwise a blocking queued call through `receiver`'s event loop; returns when `task` has run.
namespace tavrel::shell {

bool OnUiThread();
void RunOnUiThreadBlocking(QObject* receiver, const std::function<void()>& task);

}  // namespace tavrel::shell
