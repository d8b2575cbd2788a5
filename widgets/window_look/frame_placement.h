// Where a top-level window appears, counted by its outer frame (title bar and
// border included), as the user sees it.
//
// A window manager adds the frame only when it maps the window, so its size
// is not known before the window is first shown. The window is placed with
// the frame of another window the manager has already framed (else with
// none), and placed once more as soon as its own frame is known, should that
// differ. Later showings leave the window where it is.
#pragma once

class QPoint;
class QWidget;

namespace ottomix {

// Centres the window's frame on its screen, now and when it is first framed.
void centreFrameOnScreen(QWidget* window);

// Puts the top left corner of the window's frame at `corner`, now and when
// it is first framed.
void placeFrameAt(QWidget* window, const QPoint& corner);

}  // namespace ottomix
