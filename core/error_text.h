// The system's reason for an errno, always in English: the messages it goes
// into are English, and the window translates a message as a whole.
#pragma once

#include <string>

namespace ottomix {

// "No such file or directory" for ENOENT, whatever the user's locale.
std::string errorText(int error);

}  // namespace ottomix
