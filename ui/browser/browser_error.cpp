#include "ui/browser/browser_error.h"

#include <QCoreApplication>
#include <cerrno>

#include "ui/browser/display_name.h"

namespace ottomix {

namespace {

// The context of the messages' translations.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(ottomix::BrowserError)
};

// messageFor()'s texts, for the translations.
[[maybe_unused]] constexpr const char* kMessages[] = {
    QT_TRANSLATE_NOOP("ottomix::BrowserError", "File not found"),
    QT_TRANSLATE_NOOP("ottomix::BrowserError", "Invalid filename"),
    QT_TRANSLATE_NOOP("ottomix::BrowserError", "Too many open files"),
    QT_TRANSLATE_NOOP("ottomix::BrowserError", "File access denied"),
    QT_TRANSLATE_NOOP("ottomix::BrowserError", "Read beyond end of file"),
    QT_TRANSLATE_NOOP("ottomix::BrowserError", "Disk full"),
    QT_TRANSLATE_NOOP("ottomix::BrowserError", "Invalid numeric input"),
};

}  // namespace

BrowserError::BrowserError(int code) : std::runtime_error(messageFor(code)), code_(code) {}

BrowserError::BrowserError(int code, const std::string& message)
    : std::runtime_error(message), code_(code) {}

QString BrowserError::text() const {
    if (silentPath_) {
        return silentPath_->empty()
                   ? Text::tr("The volume does not respond")
                   : Text::tr("%1 does not respond").arg(displayName(*silentPath_));
    }
    const std::string message = messageFor(code_);
    if (message != what()) return displayName(what());
    if (message.starts_with("I/O error ")) return Text::tr("I/O error %1").arg(code_);
    return Text::tr(message.c_str());
}

BrowserError BrowserError::notResponding(const std::string& path) {
    const std::string what =
        path.empty() ? std::string("The volume") : displayName(path).toStdString();
    BrowserError error(codeFromErrno(ETIMEDOUT), what + " does not respond");
    error.silentPath_ = path;
    return error;
}

std::string BrowserError::messageFor(int code) {
    switch (code) {
        case 2:
            return "File not found";
        case 3:
            return "Invalid filename";
        case 4:
            return "Too many open files";
        case 5:
            return "File access denied";
        case 100:
            return "Read beyond end of file";
        case 101:
            return "Disk full";
        case 106:
            return "Invalid numeric input";
        default:
            return "I/O error " + std::to_string(code);
    }
}

// errno to the DOS-style codes the messages are keyed by:
//   ENOENT                               -> 2   "File not found"
//   ENOTDIR, ENAMETOOLONG, EINVAL, ELOOP -> 3   "Invalid filename"
//   EMFILE, ENFILE                       -> 4   "Too many open files"
//   EACCES, EPERM, EROFS                 -> 5   "File access denied"
//   ENOSPC, EDQUOT                       -> 101 "Disk full"
// Any other errno is reported as itself ("I/O error 19" for ENODEV), except
// that one whose number is a code of the table above (EIO is 5, EINTR is 4)
// becomes 1000 + errno, so it is not mistaken for that code's message.
int BrowserError::codeFromErrno(int error) {
    switch (error) {
        case ENOENT:
            return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EROFS:
            return 5;
        case ENOSPC:
        case EDQUOT:
            return 101;
        default:
            break;
    }
    switch (error) {
        case 2:
        case 3:
        case 4:
        case 5:
        case 100:
        case 101:
        case 106:
            return 1000 + error;
        default:
            return error;
    }
}

void throwIfFailed(int error, const std::string& path) {
    if (error == ETIMEDOUT) throw BrowserError::notResponding(path);
    if (error != 0) throw BrowserError::fromErrno(error);
}

}  // namespace ottomix
