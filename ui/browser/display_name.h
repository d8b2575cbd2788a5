// File names are bytes on Linux and need not be valid UTF-8; this turns one
// into text for the screen without losing which bytes it was made of.
#pragma once

#include <QString>
#include <string>

namespace ottomix {

// UTF-8 as it is, every byte that is not part of a well-formed sequence as
// \xNN: "café.txt" written in Latin-1 shows as caf\xe9.txt.
QString displayName(const std::string& bytes);

}  // namespace ottomix
