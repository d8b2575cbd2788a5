#include "ui/message_text.h"

#include <QCoreApplication>
#include <cerrno>
#include <optional>
#include <string_view>

#include "core/error_text.h"
#include "ui/browser/display_name.h"

namespace ottomix {

namespace {

constexpr char kCoreContext[] = "ottomix::CoreText";
constexpr char kSystemContext[] = "ottomix::SystemError";

constexpr KnownSystemError kSystemErrors[] = {
    {EPERM, QT_TRANSLATE_NOOP("ottomix::SystemError", "Operation not permitted")},
    {ENOENT, QT_TRANSLATE_NOOP("ottomix::SystemError", "No such file or directory")},
    {EINTR, QT_TRANSLATE_NOOP("ottomix::SystemError", "Interrupted system call")},
    {EIO, QT_TRANSLATE_NOOP("ottomix::SystemError", "Input/output error")},
    {ENXIO, QT_TRANSLATE_NOOP("ottomix::SystemError", "No such device or address")},
    {EBADF, QT_TRANSLATE_NOOP("ottomix::SystemError", "Bad file descriptor")},
    {EAGAIN, QT_TRANSLATE_NOOP("ottomix::SystemError", "Resource temporarily unavailable")},
    {ENOMEM, QT_TRANSLATE_NOOP("ottomix::SystemError", "Cannot allocate memory")},
    {EACCES, QT_TRANSLATE_NOOP("ottomix::SystemError", "Permission denied")},
    {EBUSY, QT_TRANSLATE_NOOP("ottomix::SystemError", "Device or resource busy")},
    {EEXIST, QT_TRANSLATE_NOOP("ottomix::SystemError", "File exists")},
    {EXDEV, QT_TRANSLATE_NOOP("ottomix::SystemError", "Invalid cross-device link")},
    {ENODEV, QT_TRANSLATE_NOOP("ottomix::SystemError", "No such device")},
    {ENOTDIR, QT_TRANSLATE_NOOP("ottomix::SystemError", "Not a directory")},
    {EISDIR, QT_TRANSLATE_NOOP("ottomix::SystemError", "Is a directory")},
    {EINVAL, QT_TRANSLATE_NOOP("ottomix::SystemError", "Invalid argument")},
    {ENFILE, QT_TRANSLATE_NOOP("ottomix::SystemError", "Too many open files in system")},
    {EMFILE, QT_TRANSLATE_NOOP("ottomix::SystemError", "Too many open files")},
    {ETXTBSY, QT_TRANSLATE_NOOP("ottomix::SystemError", "Text file busy")},
    {EFBIG, QT_TRANSLATE_NOOP("ottomix::SystemError", "File too large")},
    {ENOSPC, QT_TRANSLATE_NOOP("ottomix::SystemError", "No space left on device")},
    {ESPIPE, QT_TRANSLATE_NOOP("ottomix::SystemError", "Illegal seek")},
    {EROFS, QT_TRANSLATE_NOOP("ottomix::SystemError", "Read-only file system")},
    {EMLINK, QT_TRANSLATE_NOOP("ottomix::SystemError", "Too many links")},
    {EPIPE, QT_TRANSLATE_NOOP("ottomix::SystemError", "Broken pipe")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("ottomix::SystemError", "File name too long")},
    {ENOLCK, QT_TRANSLATE_NOOP("ottomix::SystemError", "No locks available")},
    {ENOSYS, QT_TRANSLATE_NOOP("ottomix::SystemError", "Function not implemented")},
    {ENOTEMPTY, QT_TRANSLATE_NOOP("ottomix::SystemError", "Directory not empty")},
    {ELOOP, QT_TRANSLATE_NOOP("ottomix::SystemError", "Too many levels of symbolic links")},
    {ENODATA, QT_TRANSLATE_NOOP("ottomix::SystemError", "No data available")},
    {ENOLINK, QT_TRANSLATE_NOOP("ottomix::SystemError", "Link has been severed")},
    {EOVERFLOW, QT_TRANSLATE_NOOP("ottomix::SystemError", "Value too large for defined data type")},
    {EOPNOTSUPP, QT_TRANSLATE_NOOP("ottomix::SystemError", "Operation not supported")},
    {ENOTCONN, QT_TRANSLATE_NOOP("ottomix::SystemError", "Transport endpoint is not connected")},
    {ETIMEDOUT, QT_TRANSLATE_NOOP("ottomix::SystemError", "Connection timed out")},
    {ECONNREFUSED, QT_TRANSLATE_NOOP("ottomix::SystemError", "Connection refused")},
    {EHOSTDOWN, QT_TRANSLATE_NOOP("ottomix::SystemError", "Host is down")},
    {EHOSTUNREACH, QT_TRANSLATE_NOOP("ottomix::SystemError", "No route to host")},
    {ESTALE, QT_TRANSLATE_NOOP("ottomix::SystemError", "Stale file handle")},
    {EREMOTEIO, QT_TRANSLATE_NOOP("ottomix::SystemError", "Remote I/O error")},
    {EDQUOT, QT_TRANSLATE_NOOP("ottomix::SystemError", "Disk quota exceeded")},
    {ENOMEDIUM, QT_TRANSLATE_NOOP("ottomix::SystemError", "No medium found")},
    {ECANCELED, QT_TRANSLATE_NOOP("ottomix::SystemError", "Operation canceled")},
};

// The core's messages and captions; %1 stands for a file name or an argument.
constexpr const char* kCoreMessages[] = {
    QT_TRANSLATE_NOOP("ottomix::CoreText", "File Successfully Encrypted!"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "File Successfully Decrypted!"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Encryption Failed"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Decryption Failed"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Encryption Cancelled"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Decryption Cancelled"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Cannot open file %1"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Cannot use file %1 as input"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Cannot read file %1"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Cannot create file %1"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Cannot write file %1"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "Cannot create files in directory %1"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "File %1 changed while it was being read"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "unknown option %1"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "option %1 takes no value"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "option %1 needs a value"),
};

// The core's own reasons, beside the system's.
constexpr const char* kCoreReasons[] = {
    QT_TRANSLATE_NOOP("ottomix::CoreText", "not a regular file (a device, pipe or socket)"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "it is this job's own output file %1"),
    QT_TRANSLATE_NOOP("ottomix::CoreText", "it belongs to another user in a shared directory"),
};

// The translation of `text` when it has the form of `format` (at most one
// %1, which takes any non-empty bytes).
std::optional<QString> matchFormat(std::string_view text, const char* format) {
    const std::string_view f(format);
    const auto at = f.find("%1");
    if (at == std::string_view::npos) {
        if (text != f) return std::nullopt;
        return QCoreApplication::translate(kCoreContext, format);
    }
    const std::string_view head = f.substr(0, at);
    const std::string_view tail = f.substr(at + 2);
    if (text.size() <= head.size() + tail.size() || !text.starts_with(head) ||
        !text.ends_with(tail))
        return std::nullopt;
    const std::string arg(text.substr(head.size(), text.size() - head.size() - tail.size()));
    return QCoreApplication::translate(kCoreContext, format).arg(displayName(arg));
}

template <typename Formats>
std::optional<QString> matchAny(std::string_view text, const Formats& formats) {
    for (const char* format : formats)
        if (std::optional<QString> shown = matchFormat(text, format)) return shown;
    return std::nullopt;
}

std::optional<QString> reasonText(std::string_view text) {
    for (const KnownSystemError& known : kSystemErrors)
        if (text == known.english)
            return QCoreApplication::translate(kSystemContext, known.english);
    return matchAny(text, kCoreReasons);
}

}  // namespace

std::span<const KnownSystemError> knownSystemErrors() {
    return kSystemErrors;
}

QString systemErrorText(const std::string& english) {
    return QCoreApplication::translate(kSystemContext, english.c_str());
}

QString systemErrorText(int error) {
    return systemErrorText(errorText(error));
}

QString coreText(const std::string& english) {
    const std::string_view text(english);
    // "<message>: <reason>" first, as a message's file name may end the text;
    // a name may hold ": " too, so every place is tried.
    for (auto colon = text.find(": "); colon != std::string_view::npos;
         colon = text.find(": ", colon + 1)) {
        const std::optional<QString> message = matchAny(text.substr(0, colon), kCoreMessages);
        if (!message) continue;
        if (const std::optional<QString> reason = reasonText(text.substr(colon + 2)))
            return QCoreApplication::translate("ottomix::CoreText", "%1: %2")
                .arg(*message, *reason);
    }
    if (std::optional<QString> shown = matchAny(text, kCoreMessages)) return *shown;
    return displayName(english);
}

std::string fillIn(const QString& format, std::initializer_list<std::string> args) {
    const std::string f = format.toStdString();
    std::string out;
    out.reserve(f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char next = i + 1 < f.size() ? f[i + 1] : '\0';
        const std::size_t n = next >= '1' && next <= '9' ? static_cast<std::size_t>(next - '0') : 0;
        if (f[i] == '%' && n >= 1 && n <= args.size()) {
            out += *(args.begin() + (n - 1));
            ++i;
        } else {
            out += f[i];
        }
    }
    return out;
}

}  // namespace ottomix
