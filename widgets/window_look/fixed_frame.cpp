#include "widgets/window_look/fixed_frame.h"

#include <QLayout>
#include <QWidget>

namespace ottomix {

void giveFixedFrame(QWidget* window) {
    Qt::WindowFlags flags = window->windowFlags();
    // Without the customise hint a window gets the platform's default
    // buttons, maximise included.
    if (!flags.testFlag(Qt::CustomizeWindowHint)) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    }
    flags &= ~(Qt::WindowMaximizeButtonHint | Qt::WindowFullscreenButtonHint);
    // Setting flags hides a visible window; only set them when they change.
    if (flags != window->windowFlags()) window->setWindowFlags(flags);

    if (QLayout* layout = window->layout();
        layout != nullptr && layout->sizeConstraint() == QLayout::SetFixedSize) {
        layout->activate();  // the minimum and maximum sizes follow the layout
    } else {
        window->setFixedSize(window->size());
    }
}

}  // namespace ottomix
