// Messages in the user's language where their text is English bytes: what
// the core reports (it has no toolkit), system reasons, and messages that
// name files, whose names are bytes that need not be UTF-8.
#pragma once

#include <QString>
#include <initializer_list>
#include <span>
#include <string>

namespace ottomix {

// A text of the core's fixed set, translated: a job caption ("Encryption
// Failed"), a message ("Cannot open file <name>"), a system reason, or a
// message with its reason ("<message>: <reason>"). A file name in it shows as
// displayName() shows names; a text of no known form is only shown that way.
QString coreText(const std::string& english);

// The system's reason for `error` in the user's language: the English text
// (errorText()) translated, so no other language than the window's shows.
QString systemErrorText(int error);
QString systemErrorText(const std::string& english);

// `format` (translated, with %1, %2, ...) as UTF-8 with each %n replaced by
// the bytes of `args[n - 1]` as they are, for a message that travels as bytes
// and is shown with displayName().
std::string fillIn(const QString& format, std::initializer_list<std::string> args);

// The English system reasons the translations know, with their errno: the
// ones file access and the browser can meet.
struct KnownSystemError {
    int error;
    const char* english;
};
std::span<const KnownSystemError> knownSystemErrors();

}  // namespace ottomix
