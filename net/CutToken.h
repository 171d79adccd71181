#pragma once

#include <string>

namespace net {

// The text before the first Delimiter (all of Text when there is none). With Remove, Text
// loses that part and the delimiter (or becomes empty).
std::string CutToken(std::string& Text, const std::string& Delimiter, bool Remove = true);

// ASCII case helpers used wherever header names and keywords are compared.
std::string UpperCase(std::string text);
bool SameText(const std::string& a, const std::string& b);
std::string TrimBlanks(const std::string& text);

} // namespace net
