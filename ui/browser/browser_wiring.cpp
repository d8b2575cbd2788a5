#include "ui/browser/browser_wiring.h"

#include <exception>
#include <stdexcept>

#include "ui/browser/deferred_error.h"
#include "ui/browser/directory_tree.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/file_list.h"

namespace ottomix {

namespace {

void showFailures(BrowserList* control) {
    QObject::connect(control, &BrowserList::failed, control, [](const QString& message) {
        raiseFromEventLoop(std::make_exception_ptr(std::runtime_error(message.toStdString())));
    });
}

}  // namespace

void connectBrowser(DriveSelector* drives, DirectoryTree* tree, FileList* list) {
    QObject::connect(tree, &DirectoryTree::currentDirectoryChanged, list, &FileList::showDirectory);
    QObject::connect(tree, &DirectoryTree::currentDirectoryChanged, drives,
                     &DriveSelector::followDirectory);
    QObject::connect(tree, &DirectoryTree::volumeChanged, drives, &DriveSelector::setCurrentVolume);
    QObject::connect(drives, &DriveSelector::volumeChosen, tree, &DirectoryTree::setVolume);
    QObject::connect(drives, &DriveSelector::volumeLost, tree, &DirectoryTree::leaveVolume);
    showFailures(tree);
    showFailures(list);
}

}  // namespace ottomix
