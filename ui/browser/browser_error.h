// The error the file browser throws when it cannot enter a directory or a
// volume: a small numeric code in the style of the old DOS run-time errors
// (2 "File not found", 5 "File access denied", ...) with its message, which
// is what the user is shown. A volume that does not answer in time gives
// its own message, "/mnt/share does not respond".
#pragma once

#include <QString>
#include <optional>
#include <stdexcept>
#include <string>

namespace ottomix {

class BrowserError : public std::runtime_error {
  public:
    explicit BrowserError(int code);
    BrowserError(int code, const std::string& message);
    int code() const { return code_; }
    // The message as the user reads it, in the user's language: a path in it
    // shown as displayName() shows names.
    QString text() const;

    // "File not found" (2), "Invalid filename" (3), ..., "I/O error %d".
    static std::string messageFor(int code);
    // The code for a system errno; see the table in browser_error.cpp.
    static int codeFromErrno(int error);
    static BrowserError fromErrno(int error) { return BrowserError(codeFromErrno(error)); }
    // The volume holding `path` did not answer in time (ETIMEDOUT's code).
    static BrowserError notResponding(const std::string& path);

  private:
    int code_;
    // For notResponding(): the path it names.
    std::optional<std::string> silentPath_;
};

// Throws the BrowserError for `error` unless it is 0; takes what the
// FileSystem calls return (0 or an errno). ETIMEDOUT, the calls' word for a
// volume that did not answer, names `path` as the one that does not respond.
void throwIfFailed(int error, const std::string& path = {});

}  // namespace ottomix
