// Shows the three browser controls where the main window puts them, for a
// look at glyphs, indents and row heights. Not a test.
//   browser_demo [directory] [--glyphs] [--popup] [--mask=PATTERNS]
#include <unistd.h>

#include <QApplication>
#include <QFont>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "ui/browser/browser_wiring.h"
#include "ui/browser/directory_tree.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/file_list.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bool glyphs = false;
    bool popup = false;
    std::string mask = "*.txt";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--glyphs") == 0) {
            glyphs = true;
        } else if (std::strcmp(argv[i], "--popup") == 0) {
            popup = true;
        } else if (std::strncmp(argv[i], "--mask=", 7) == 0) {
            mask = argv[i] + 7;
        } else if (chdir(argv[i]) != 0) {
            std::perror(argv[i]);
            return 2;
        }
    }
    QWidget window;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    window.setFont(font);
    window.setFixedSize(500, 306);
    window.setWindowTitle(QStringLiteral("Browser"));
    auto* tree = new ottomix::DirectoryTree(&window);
    tree->setGeometry(40, 24, 201, 129);
    auto* list = new ottomix::FileList(&window);
    list->setGeometry(256, 24, 185, 129);
    list->setMask(mask);
    list->setShowGlyphs(glyphs);
    auto* drives = new ottomix::DriveSelector(&window);
    drives->setGeometry(40, 168, 201, 19);
    ottomix::connectBrowser(drives, tree, list);
    window.move(0, 0);
    window.show();
    std::printf("row heights: tree %d, list %d, drives %d; font height %d\n", tree->itemHeight(),
                list->itemHeight(), drives->itemHeight(), QFontMetrics(font).height());
    std::fflush(stdout);
    if (popup) QTimer::singleShot(300, drives, [drives] { drives->showPopup(); });
    return app.exec();
}
