// Drawing shared by the browser's lists and its drive selector: the small
// glyphs in front of a row's text and the row height a font needs.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QRect>

class QPainter;

namespace ottomix {

// A glyph from the program's artwork (":/ottomix/NAME.png"), with the colour
// of its bottom-left pixel made transparent; a null pixmap when it is missing.
QPixmap loadGlyph(const char* name);

// Pixel rows the font's text may touch: its exact height rounded up, so an
// 11-pixel sans face gets rows of 13 as the layout expects.
int characterHeight(const QFont& font);

// Height of a glyph, or the artwork's nominal height while it is missing,
// so row heights do not depend on whether the images are there.
int glyphHeight(const QPixmap& glyph, int nominal);

// Draws `glyph` `x` pixels into `row`, centred in its height; nothing while
// the artwork is missing.
void drawGlyph(QPainter* painter, const QPixmap& glyph, int x, const QRect& row);

}  // namespace ottomix
