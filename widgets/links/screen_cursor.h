// Mouse cursors by number, as window layouts store them.
#pragma once

#include <QCursor>

namespace ottomix {

// The standard arrow.
inline constexpr int kDefaultCursor = 0;
// A pointing hand drawn from the program's artwork; links use it.
inline constexpr int kHandPointCursor = -21;

// The hand cursor, loaded on first use and kept for the life of the process.
const QCursor& handPointCursor();
// The cursor of an id; ids other than kHandPointCursor give the arrow.
QCursor screenCursor(int id);

}  // namespace ottomix
