// The colours of the program's windows. Their background pictures are light,
// so the windows keep a light palette of their own whatever the desktop's
// colour scheme: under a dark scheme its light text would vanish on them.
#pragma once

#include <QPalette>

class QWidget;

namespace ottomix {

// The light palette of Qt's Fusion style with a darker highlight, so selected
// rows are as legible as the others, whatever the desktop's scheme.
QPalette lightPalette();

// Gives `window` the light palette, and the first time also the application
// and every widget class a platform theme colours on its own (GTK's dark
// theme colours buttons, lists, menus and labels one class at a time), so no
// theme can half-override the windows' colours.
void useLightPalette(QWidget* window);

}  // namespace ottomix
