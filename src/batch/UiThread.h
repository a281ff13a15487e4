#pragma once

#include <string>

#include "browse/Session.h"

// The worker's way to the user-interface thread: every call runs there while the worker waits.
namespace tavrel::batch_detail {

template <typename Task>
void OnUi(Session& s, Task&& task) {
    s.ui->RunOnUiThread([&] { task(); });
}

inline void ShowMessageOnUi(Session& s, const std::string& text) {
    OnUi(s, [&] { s.ui->ShowMessage(text); });
}

}  // namespace tavrel::batch_detail
