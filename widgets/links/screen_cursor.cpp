#include "widgets/links/screen_cursor.h"

#include <QPixmap>

#include "widgets/links/widget_resources.h"

namespace ottomix {

const QCursor& handPointCursor() {
    // Never destroyed: static objects go after the application object, and a
    // picture cursor must not outlive that.
    static const QCursor* cursor = [] {
        loadWidgetResources();
        const QPixmap image(QStringLiteral(":/ottomix/HANDPOINT.png"));
        if (image.isNull()) return new QCursor(Qt::PointingHandCursor);
        return new QCursor(image, 12, 5);
    }();
    return *cursor;
}

}  // namespace ottomix
