#include "core/error_text.h"

#include <locale.h>

#include <cstring>

namespace ottomix {

std::string errorText(int error) {
    static const locale_t english = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    if (english == locale_t{}) return std::strerror(error);
    return ::strerror_l(error, english);
}

}  // namespace ottomix
