#include "widgets/window_look/artwork.h"

#include <QFileInfo>
#include <QWidget>

namespace ottomix {

QPixmap artworkPixmap(const QString& path, const QWidget* shownOn) {
    if (shownOn->devicePixelRatioF() >= 2.0) {
        const QFileInfo file(path);
        QPixmap sharp(file.path() + u'/' + file.completeBaseName() + QStringLiteral("@2x.") +
                      file.suffix());
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return QPixmap(path);
}

}  // namespace ottomix
