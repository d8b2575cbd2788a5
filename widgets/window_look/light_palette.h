// The colours of the program's windows. Their background pictures are light,
// so the windows keep a light palette of their own whatever the desktop's
// colour scheme: under a dark scheme its light text would vanish on them.
#pragma once

#include <QPalette>

namespace ottomix {

// The light palette of Qt's Fusion style with a darker highlight, so selected
// rows are as legible as the others; every role of every colour group is set
// explicitly, so nothing of the application's palette shows through.
QPalette lightPalette();

}  // namespace ottomix
