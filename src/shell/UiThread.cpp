#include "UiThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace tavrel::shell {

bool OnUiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

void RunOnUiThreadBlocking(QObject* receiver, const std::function<void()>& task) {
    if (OnUiThread() || receiver == nullptr) {
        task();
        return;
    }
    QMetaObject::invokeMethod(
        receiver, [&task] { task(); }, Qt::BlockingQueuedConnection);
}

}  // namespace tavrel::shell
