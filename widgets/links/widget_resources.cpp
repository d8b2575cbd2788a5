#include "widgets/links/widget_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the resource's initialiser, which lives in the
// global namespace, so it is called from here.
static void initOttomixResources() {
    Q_INIT_RESOURCE(ottomix);
}

namespace ottomix {

void loadWidgetResources() {
    static const bool done = [] {
        initOttomixResources();
        return true;
    }();
    (void)done;
}

}  // namespace ottomix
