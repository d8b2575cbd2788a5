#include "ui/dropped_path.h"

#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

namespace ottomix {

std::string droppedLocalPath(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
    const QUrl& url = urls.first();
    const QString host = url.host();
    if (!host.isEmpty() && host != QLatin1String("localhost") &&
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return {};
    // Not UTF-8 decoded: a name need not be UTF-8.
    const std::string path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
    return !path.empty() && path[0] == '/' ? path : std::string();
}

Qt::DropAction harmlessDropAction(Qt::DropActions possible) {
    if (possible.testFlag(Qt::CopyAction)) return Qt::CopyAction;
    if (possible.testFlag(Qt::LinkAction)) return Qt::LinkAction;
    return Qt::IgnoreAction;
}

}  // namespace ottomix
