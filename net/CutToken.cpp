#include "net/CutToken.h"

#include <algorithm>
#include <cctype>

namespace net {

std::string CutToken(std::string& Text, const std::string& Delimiter, bool Remove) {
    const auto at = Text.find(Delimiter);
    if (at == std::string::npos) {
        std::string all = Text;
        if (Remove)
            Text.clear();
        return all;
    }
    std::string head = Text.substr(0, at);
    if (Remove)
        Text.erase(0, at + Delimiter.size());
    return head;
}

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool SameText(const std::string& a, const std::string& b) {
    return UpperCase(a) == UpperCase(b);
}

std::string TrimBlanks(const std::string& text) {
    // Control characters count as blanks here, as they do for the framework's trimming.
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

} // namespace net
