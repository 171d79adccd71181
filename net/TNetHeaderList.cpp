#include "net/TNetHeaderList.h"
#include "net/CutToken.h"

namespace net {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string dropLeadingBlanks(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return text.substr(at);
}

std::string dropTrailingBlanks(std::string text) {
    while (!text.empty() && isBlank(text.back()))
        text.pop_back();
    return text;
}

} // namespace

bool TNetHeaderList::isContinuation(int index) const {
    if (index < 0 || index >= Count())
        return false;
    const std::string& line = lines_[static_cast<std::size_t>(index)];
    return !line.empty() && isBlank(line.front());
}

void TNetHeaderList::deleteContinuations(int index) {
    while (isContinuation(index + 1))
        Delete(index + 1);
}

void TNetHeaderList::Insert(int index, const std::string& line) {
    lines_.insert(lines_.begin() + index, line);
}

void TNetHeaderList::Delete(int index) {
    lines_.erase(lines_.begin() + index);
}

std::string TNetHeaderList::NameOfLine(int Index) const {
    if (Index < 0 || Index >= Count())
        return {};
    const std::string& line = lines_[static_cast<std::size_t>(Index)];
    const auto colon = line.find(':');
    if (colon == std::string::npos)
        return {};
    return UpperCase(line.substr(0, colon));
}

int TNetHeaderList::FindName(const std::string& Name) const {
    const std::string wanted = UpperCase(Name);
    for (int i = 0; i < Count(); ++i) {
        if (lines_[static_cast<std::size_t>(i)].find(':') != std::string::npos &&
            NameOfLine(i) == wanted)
            return i;
    }
    return -1;
}

std::string TNetHeaderList::ValueOfLine(int Index) const {
    if (Index < 0 || Index >= Count())
        return {};
    const std::string& line = lines_[static_cast<std::size_t>(Index)];
    const auto colon = line.find(':');
    std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
    for (int next = Index + 1; isContinuation(next); ++next) {
        const std::string more = dropLeadingBlanks(lines_[static_cast<std::size_t>(next)]);
        if (!value.empty() && !isBlank(value.back()))
            value += ' ';
        value += more;
    }
    return dropLeadingBlanks(value);
}

std::string TNetHeaderList::ValueOf(const std::string& Name) const {
    return ValueOfLine(FindName(Name));
}

void TNetHeaderList::StoreValue(const std::string& Name, const std::string& Value) {
    int index = FindName(Name);
    if (Value.empty()) {
        if (index >= 0) {
            deleteContinuations(index);
            Delete(index);
        }
        return;
    }
    if (index < 0) {
        Add({});
        index = Count() - 1;
    }
    deleteContinuations(index);
    const auto folded = FoldHeaderLine(Name + ": " + Value);
    Set(index, folded.front());
    for (std::size_t i = 1; i < folded.size(); ++i)
        Insert(index + static_cast<int>(i), folded[i]);
}

std::vector<std::string> TNetHeaderList::FoldHeaderLine(const std::string& Text) {
    std::vector<std::string> pieces;
    std::string prefix;
    std::size_t lineStart = 0;
    std::size_t lastBreak = std::string::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '"')
            quoted = !quoted;
        else if (isBlank(c) && !quoted)
            lastBreak = i;
        const std::size_t column = prefix.size() + (i - lineStart + 1);
        if (column > FoldWidth && lastBreak != std::string::npos && lastBreak >= lineStart &&
            lastBreak + 1 < Text.size()) {
            pieces.push_back(prefix + Text.substr(lineStart, lastBreak - lineStart + 1));
            lineStart = lastBreak + 1;
            lastBreak = std::string::npos;
            // The continuation carries one blank in front of what follows the break.
            prefix = " ";
        }
    }
    pieces.push_back(prefix + Text.substr(lineStart));
    std::vector<std::string> lines;
    for (const auto& piece : pieces) {
        std::string line = dropTrailingBlanks(piece);
        // A break between two blanks would leave an empty continuation, which reads as the
        // end of the header block.
        if (lines.empty() || !dropLeadingBlanks(line).empty())
            lines.push_back(std::move(line));
    }
    return lines;
}

std::string TNetHeaderList::Text() const {
    std::string out;
    for (const auto& line : lines_)
        out += line + "\r\n";
    return out;
}

} // namespace net
