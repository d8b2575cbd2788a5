// The wildcard patterns of the file list's mask ("*.txt", "data.*", "?x").
#pragma once

#include <string>
#include <vector>

namespace ottomix {

// True when `name` matches one wildcard pattern (* and ?), ignoring case;
// a trailing ".*" also matches names without a dot, so "*.*" matches all.
// "?" stands for one character, which in UTF-8 may be several bytes.
bool maskMatches(const std::string& pattern, const std::string& name);

// The mask's patterns, separated by ";", left to right; empty ones left out.
std::vector<std::string> maskPatterns(const std::string& mask);
// True when one of the mask's patterns matches `name`.
bool maskListsName(const std::string& mask, const std::string& name);

// An ASCII letter in lower case, any other byte as it is: names are bytes,
// so the mask and the file list's sort fold case only where it is certain.
inline unsigned char foldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

}  // namespace ottomix
