// The frame of the program's windows: laid out by hand, they have one size,
// so the window manager offers neither resizing nor maximising.
#pragma once

class QWidget;

namespace ottomix {

// Keeps the window's type and title-bar buttons but never a maximise button,
// and fixes its size: to what its layout asks for when it has a layout with a
// fixed size constraint, else to its present size.
//
// Both halves are needed. The flags become _MOTIF_WM_HINTS without the
// maximise function, which window managers following those hints obey. Others
// (openbox among them) ignore that bit and allow maximising exactly when the
// size hints (WM_NORMAL_HINTS) leave room to resize, so the minimum size must
// equal the maximum size.
void giveFixedFrame(QWidget* window);

}  // namespace ottomix
