// The file browser's three controls work together through their signals
// and slots alone; this links them as the main window places them.
#pragma once

namespace ottomix {

class DirectoryTree;
class DriveSelector;
class FileList;

// The list follows the tree's current directory; the selector shows the
// tree's volume, sends the tree to the volume the user chooses and off one
// that is unmounted. What the tree and the list report through failed() is
// shown to the user once the event loop is back.
void connectBrowser(DriveSelector* drives, DirectoryTree* tree, FileList* list);

}  // namespace ottomix
