// The viewer's failures. The message is shown to the user as it is;
// showFailure() adds the full stop.
#pragma once

#include <stdexcept>

namespace ottomix {

class ViewerError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace ottomix
