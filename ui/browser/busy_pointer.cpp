#include "ui/browser/busy_pointer.h"

#include <QApplication>

namespace ottomix {

BusyPointer::BusyPointer() : start_(FileSystem::instance().now()) {}

BusyPointer::~BusyPointer() {
    if (up_) QApplication::restoreOverrideCursor();
}

void BusyPointer::check() {
    if (up_ || FileSystem::instance().now() - start_ < kBusyPointerDelay) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    up_ = true;
}

}  // namespace ottomix
