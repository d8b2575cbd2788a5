// The real program with one of its windows up, for window_manager_test.sh
// and wayland_test.sh:
//   window_manager_host main|about|progress|job|properties
// Starts as the program does, opens the window as a user would reach it
// (About through the menu, the progress window through a job's report or,
// with `job`, through Encrypt on a file of the current directory, the link
// properties from the About window's home-page link) and, once the window
// manager has mapped it, prints its X window id on standard output, then a
// line "transient-for main" or "transient-for none": whether the window
// system was told it belongs to the main window.
// It then keeps running until killed, or ends by itself after a minute.
#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstring>
#include <string>

#include "ui/about_window.h"
#include "ui/glyph_button.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/startup.h"
#include "widgets/links/hyperlink_label.h"
#include "widgets/links/link_properties.h"
#include "widgets/links/link_registry.h"

namespace {

QWidget* findWindow(const std::string& which) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        if (which == "main" && qobject_cast<ottomix::MainWindow*>(w)) return w;
        if (which == "about" && qobject_cast<ottomix::AboutWindow*>(w)) return w;
        if ((which == "progress" || which == "job") && qobject_cast<ottomix::ProgressWindow*>(w))
            return w;
        if (which == "properties" && qobject_cast<ottomix::LinkProperties*>(w)) return w;
    }
    return nullptr;
}

template <typename T>
T* hiddenWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w)) return t;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string which = argc > 1 ? argv[1] : "";
    if (which != "main" && which != "about" && which != "progress" && which != "job" &&
        which != "properties") {
        std::fprintf(stderr, "usage: %s main|about|progress|job|properties\n", argv[0]);
        return 2;
    }
    int qtArgc = 1;
    return ottomix::runOttomix(qtArgc, argv, [which](ottomix::MainWindow& mainWindow) {
        // Reports the window once it is mapped, whichever loop is running.
        auto* poll = new QTimer(&mainWindow);
        QObject::connect(poll, &QTimer::timeout, [which, poll, &mainWindow] {
            QWidget* w = findWindow(which);
            if (w == nullptr || w->windowHandle() == nullptr || !w->windowHandle()->isExposed())
                return;
            poll->stop();
            const QWindow* parent = w->windowHandle()->transientParent();
            std::printf("%llu\ntransient-for %s\n", static_cast<unsigned long long>(w->winId()),
                        parent == nullptr                     ? "none"
                        : parent == mainWindow.windowHandle() ? "main"
                                                              : "another");
            std::fflush(stdout);
        });
        poll->start(20);
        QTimer::singleShot(60000, [] { std::_Exit(3); });

        // The other windows come once the main window is up, as for a user.
        QTimer::singleShot(300, &mainWindow, [which, &mainWindow] {
            if (which == "about" || which == "properties") {
                if (which == "properties") {
                    QTimer::singleShot(300, [] {
                        auto* about = hiddenWindow<ottomix::AboutWindow>();
                        if (about != nullptr)
                            ottomix::LinkRegistry::instance().showLinkProperties(
                                about->homePageLink());
                    });
                }
                mainWindow.aboutAction()->trigger();
            } else if (which == "job") {
                mainWindow.openPath("sample.txt");
                mainWindow.encryptButton()->click();
            } else if (which == "progress") {
                auto* progress = hiddenWindow<ottomix::ProgressWindow>();
                if (progress == nullptr) return;
                progress->reset();
                progress->started("File Successfully Encrypted!", 100);
                progress->progressed(100);
                progress->finished();
            }
        });
    });
}
