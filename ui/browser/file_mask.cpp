#include "ui/browser/file_mask.h"

#include <algorithm>

namespace ottomix {

namespace {

bool wildMatch(const char* p, const char* pe, const char* s, const char* se) {
    const char* starP = nullptr;
    const char* starS = nullptr;
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
            starP = ++p;
            starS = s;
        } else if (starP != nullptr) {
            p = starP;
            s = ++starS;
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

std::vector<std::string> maskPatterns(const std::string& mask) {
    std::vector<std::string> patterns;
    std::size_t start = 0;
    while (start <= mask.size()) {
        const std::size_t end = std::min(mask.find(';', start), mask.size());
        if (end > start) patterns.push_back(mask.substr(start, end - start));
        start = end + 1;
    }
    return patterns;
}

bool maskListsName(const std::string& mask, const std::string& name) {
    for (const std::string& pattern : maskPatterns(mask))
        if (maskMatches(pattern, name)) return true;
    return false;
}

}  // namespace ottomix
