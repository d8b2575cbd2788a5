// The font every window of the program uses.
#pragma once

#include <QFont>

namespace ottomix {

// An 8-point sans, 11 pixels high, bold on request. Fixed in pixels so the
// hand-placed window layouts keep their proportions on any screen.
QFont windowFont(bool bold = false);

}  // namespace ottomix
