#include "MainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>

void DispatchAsyncMain(std::function<void()> work, QObject* context)
{
    QObject* target = context != nullptr ? context : QCoreApplication::instance();
    if (target == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(target, std::move(work), Qt::QueuedConnection);
}
