// The error the file browser throws when it cannot enter a directory or a
// volume: a small numeric code in the style of the old DOS run-time errors
// (2 "File not found", 5 "File access denied", ...) with its message, which
// is what the user is shown.
#pragma once

#include <stdexcept>
#include <string>

namespace ottomix {

class BrowserError : public std::runtime_error {
  public:
    explicit BrowserError(int code);
    int code() const { return code_; }

    // "File not found" (2), "Invalid filename" (3), ..., "I/O error %d".
    static std::string messageFor(int code);
    // The code for a system errno; see the table in browser_error.cpp.
    static int codeFromErrno(int error);
    static BrowserError fromErrno(int error) { return BrowserError(codeFromErrno(error)); }

  private:
    int code_;
};

// Throws the BrowserError for `error` unless it is 0; takes what the
// FileSystem calls return (0 or an errno).
void throwIfFailed(int error);

}  // namespace ottomix
