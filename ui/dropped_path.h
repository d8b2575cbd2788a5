// What a drag from a file manager offers the main window.
#pragma once

#include <QtCore/qnamespace.h>

#include <string>

class QMimeData;

namespace ottomix {

// The local path of the first URL a drag offers: a file:// URL naming this
// machine or none, with the name's exact bytes. Empty when there is none.
std::string droppedLocalPath(const QMimeData* data);

// A copy when the source offers one, else a link; never a move, which would
// have the source delete its file.
Qt::DropAction harmlessDropAction(Qt::DropActions possible);

}  // namespace ottomix
