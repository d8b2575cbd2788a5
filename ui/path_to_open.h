// Where a path to open (from the command line or a drop) leads: a directory
// to show, or a file to select in its directory. Only what the file list can
// show is accepted.
#pragma once

#include <string>

namespace ottomix {

struct PathToOpen {
    std::string directory;  // absolute
    std::string fileName;   // empty when the path is a directory
    // "Cannot open <path>: <reason>" when it cannot be opened; the rest is empty then.
    std::string error;

    bool ok() const { return error.empty(); }
};

// A relative path counts from `currentDirectory`. Refused: a missing path, a
// directory that cannot be entered, and what the file list never shows
// (hidden files, pipes, devices).
PathToOpen resolvePathToOpen(const std::string& path, const std::string& currentDirectory);

}  // namespace ottomix
