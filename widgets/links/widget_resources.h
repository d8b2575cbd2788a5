// The artwork the widgets draw from (hand cursor, properties picture).
#pragma once

namespace ottomix {

// Makes the program's compiled-in artwork available; safe to call any number
// of times. The widgets call it before their first use of a picture, so a
// program using them needs no set-up of its own.
void loadWidgetResources();

}  // namespace ottomix
