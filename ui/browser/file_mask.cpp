#include "ui/browser/file_mask.h"

namespace ottomix {

namespace {

bool wildMatch(const char* p, const char* pe, const char* s, const char* se) {
    const char* star_p = nullptr;
    const char* star_s = nullptr;
    while (s < se) {
        if (p < pe && *p == '?') {
            // One character, which in UTF-8 may be several bytes.
            ++s;
            while (s < se && (static_cast<unsigned char>(*s) & 0xC0) == 0x80) ++s;
            ++p;
        } else if (p < pe && *p != '*' &&
                   foldAscii(static_cast<unsigned char>(*p)) ==
                       foldAscii(static_cast<unsigned char>(*s))) {
            ++p;
            ++s;
        } else if (p < pe && *p == '*') {
            star_p = ++p;
            star_s = s;
        } else if (star_p != nullptr) {
            p = star_p;
            s = ++star_s;
        } else {
            return false;
        }
    }
    while (p < pe && *p == '*') ++p;
    return p == pe;
}

}  // namespace

bool maskMatches(const std::string& pattern, const std::string& name) {
    if (pattern.empty()) return false;
    const char* p = pattern.data();
    const char* s = name.data();
    if (wildMatch(p, p + pattern.size(), s, s + name.size())) return true;
    // "*.*", "data.*": the dot and extension may be absent altogether.
    const size_t n = pattern.size();
    return n >= 2 && pattern[n - 2] == '.' && pattern[n - 1] == '*' &&
           wildMatch(p, p + n - 2, s, s + name.size());
}

}  // namespace ottomix
