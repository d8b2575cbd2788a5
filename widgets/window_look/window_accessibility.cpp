#include "widgets/window_look/window_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace ottomix {

namespace {

// Asked for each class of an object, most derived first, before Qt's own
// interfaces: reaching "QWidget" means no class above it had an interface.
QAccessibleInterface* windowInterface(const QString& className, QObject* object) {
    if (className != QLatin1String("QWidget") || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    switch (widget->windowType()) {
        case Qt::Window:
            return new QAccessibleWidget(widget, QAccessible::Window);
        case Qt::Dialog:
            return new QAccessibleWidget(widget, QAccessible::Dialog);
        default:
            return nullptr;
    }
}

}  // namespace

void presentWindowsAsWindows() {
    static const bool installed = [] {
        QAccessible::installFactory(windowInterface);
        return true;
    }();
    (void)installed;
}

}  // namespace ottomix
