#include "ui/path_to_open.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>

#include "ui/browser/file_system.h"
#include "ui/message_text.h"

namespace ottomix {

namespace {

PathToOpen refused(const std::string& path, const QString& reason) {
    PathToOpen result;
    result.error = fillIn(QCoreApplication::translate("ottomix::PathToOpen", "Cannot open %1: %2"),
                          {path, reason.toStdString()});
    return result;
}

}  // namespace

PathToOpen resolvePathToOpen(const std::string& path, const std::string& currentDirectory) {
    if (path.empty()) return refused(path, systemErrorText(ENOENT));
    std::string full = path;
    if (full[0] != '/') {
        if (currentDirectory.empty()) return refused(path, systemErrorText(ENOENT));
        full = joinPath(currentDirectory, full);
    }
    struct stat st;
    if (::stat(full.c_str(), &st) != 0) return refused(path, systemErrorText(errno));

    PathToOpen result;
    if (S_ISDIR(st.st_mode)) {
        if (::access(full.c_str(), X_OK) != 0) return refused(path, systemErrorText(errno));
        result.directory = full;
        return result;
    }
    const std::size_t slash = full.rfind('/');
    result.directory = slash == 0 ? std::string("/") : full.substr(0, slash);
    result.fileName = full.substr(slash + 1);
    // What the list leaves out in every mode.
    if (!S_ISREG(st.st_mode))
        return refused(path,
                       QCoreApplication::translate("ottomix::PathToOpen", "Not a regular file"));
    if (result.fileName[0] == '.')
        return refused(path, QCoreApplication::translate("ottomix::PathToOpen",
                                                         "Hidden files are not listed"));
    return result;
}

}  // namespace ottomix
