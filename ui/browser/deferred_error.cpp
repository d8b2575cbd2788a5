#include "ui/browser/deferred_error.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace ottomix {

void raiseFromEventLoop(std::exception_ptr error) {
    QObject* target = QCoreApplication::instance();
    if (target == nullptr) std::rethrow_exception(error);
    QMetaObject::invokeMethod(
        target, [error] { std::rethrow_exception(error); }, Qt::QueuedConnection);
}

}  // namespace ottomix
