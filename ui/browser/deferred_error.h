// Exceptions from the user's own actions in the browser (choosing a volume,
// opening a tree row, the first fill of a control when it is shown) must not
// unwind through Qt's widget code, which does not expect them. The handler
// finishes normally and the exception is thrown again from the event loop,
// where an application that catches exceptions in its QApplication::notify()
// override shows it to the user.
#pragma once

#include <exception>

namespace ottomix {

// Throws `error` again from the event loop, or at once when there is no
// application object.
void raiseFromEventLoop(std::exception_ptr error);

// Runs an action the user triggered; whatever it throws is raised again
// from the event loop.
template <typename Action>
void runUserAction(Action&& action) {
    try {
        action();
    } catch (...) {
        raiseFromEventLoop(std::current_exception());
    }
}

}  // namespace ottomix
