// The pointing-hand cursor of links, drawn from the program's artwork.
#pragma once

#include <QCursor>

namespace ottomix {

// The hand cursor, loaded on first use and kept for the life of the process;
// Qt's own pointing hand if the artwork is missing.
const QCursor& handPointCursor();

}  // namespace ottomix
