#include "widgets/window_look/frame_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <utility>

namespace ottomix {

namespace {

// Where the frame's top left corner goes, for a frame of the given size.
using CornerFor = std::function<QPoint(const QSize& frame)>;

// A frame the window manager has laid out. While it is still reparenting the
// window, Qt may work margins out from a frame window that is not sized yet,
// and they come out negative.
bool isFrame(const QMargins& margins) {
    return !margins.isNull() && margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 &&
           margins.bottom() >= 0;
}

// The frame another window of the program already has: the best guess for a
// window the manager has not framed yet, as it frames them all alike.
QMargins framedMargins(const QWindow* except) {
    for (const QWindow* other : QGuiApplication::topLevelWindows()) {
        if (other == except || !other->isExposed()) continue;
        const QMargins margins = other->frameMargins();
        if (isFrame(margins)) return margins;
    }
    return {};
}

// Places a window now, and again once its own frame is known; then it is done
// and goes away.
class FramePlacer : public QObject {
  public:
    FramePlacer(QWidget* window, CornerFor corner)
        : QObject(window), window_(window), corner_(std::move(corner)) {
        window->installEventFilter(this);
        watchHandle();
    }

    // Places the window with the best guess at its frame.
    void place() {
        const QWindow* handle = window_->windowHandle();
        const QMargins own = handle != nullptr ? handle->frameMargins() : QMargins();
        place(isFrame(own) ? own : framedMargins(handle));
    }

    void place(const QMargins& margins) {
        margins_ = margins;
        const QPoint corner = corner_(window_->size().grownBy(margins));
        // move() places the frame only where Qt already knows it, and a
        // window created after it; the window's own corner otherwise. A frame
        // position tells the window manager to put the frame's corner there
        // (north-west gravity) whether the frame is known yet or not. Both,
        // so the widget and its window agree on where it is.
        window_->move(corner);
        if (QWindow* handle = window_->windowHandle()) handle->setFramePosition(corner);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show) {
            // The first showing: the frames of windows shown since help.
            watchHandle();
            place();
        } else if (watched == window_ && event->type() == QEvent::Hide) {
            // Closed before it was framed: wherever it is now is where the
            // program or the user left it.
            if (handle_ != nullptr) finish();
        } else if (watched == handle_ &&
                   (event->type() == QEvent::Move || event->type() == QEvent::Expose)) {
            // The manager reports the frame before the window is exposed; a
            // window exposed without one has none.
            const QMargins margins = handle_->frameMargins();
            if (isFrame(margins)) {
                if (margins != margins_) place(margins);
                finish();
            } else if (margins.isNull() && handle_->isExposed()) {
                if (!margins_.isNull()) place(margins);
                finish();
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    void watchHandle() {
        QWindow* handle = window_->windowHandle();
        if (handle == nullptr || handle == handle_) return;
        if (handle_ != nullptr) handle_->removeEventFilter(this);
        handle_ = handle;
        handle_->installEventFilter(this);
    }

    void finish() {
        window_->removeEventFilter(this);
        if (handle_ != nullptr) handle_->removeEventFilter(this);
        deleteLater();
    }

    QWidget* window_;
    QPointer<QWindow> handle_;
    CornerFor corner_;
    QMargins margins_;
};

void placeFrame(QWidget* window, CornerFor corner) {
    auto* placer = new FramePlacer(window, std::move(corner));
    placer->place();
}

}  // namespace

void centreFrameOnScreen(QWidget* window) {
    placeFrame(window, [window](const QSize& frame) {
        const QScreen* screen = window->screen();
        if (screen == nullptr) screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) return window->pos();
        const QRect area = screen->geometry();
        return QPoint(area.x() + std::max(0, (area.width() - frame.width()) / 2),
                      area.y() + std::max(0, (area.height() - frame.height()) / 2));
    });
}

void placeFrameAt(QWidget* window, const QPoint& corner) {
    placeFrame(window, [corner](const QSize&) { return corner; });
}

}  // namespace ottomix
