#include "ui/browser/browser_wiring.h"

#include "ui/browser/directory_tree.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/file_list.h"
#include "widgets/window_look/user_message.h"

namespace ottomix {

namespace {

// Queued: the box waits until the handler that failed has returned, so a
// control is never left half-way through an event under a modal loop.
void showFailures(BrowserList* control) {
    QObject::connect(
        control, &BrowserList::failed, control,
        [control](const QString& message) { showFailure(control->window(), message); },
        Qt::QueuedConnection);
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
