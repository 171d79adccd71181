#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace net {

// Header lines, one header per line, with continuation lines (starting with a blank or tab)
// after it. Names compare without case; values read join continuations; values stored are
// folded at 78 columns.
class TNetHeaderList {
public:
    static constexpr std::size_t FoldWidth = 78;

    int FindName(const std::string& Name) const;
    std::string NameOfLine(int Index) const;
    std::string ValueOfLine(int Index) const;
    std::string ValueOf(const std::string& Name) const;
    void StoreValue(const std::string& Name, const std::string& Value);
    static std::vector<std::string> FoldHeaderLine(const std::string& Text);

    void Clear() { lines_.clear(); }
    void Add(const std::string& line) { lines_.push_back(line); }
    void Insert(int index, const std::string& line);
    void Delete(int index);
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const {
        return lines_.at(static_cast<std::size_t>(index));
    }
    void Set(int index, const std::string& line) {
        lines_.at(static_cast<std::size_t>(index)) = line;
    }
    const std::vector<std::string>& Lines() const { return lines_; }
    // The lines joined with CR LF after each, as they go on the wire.
    std::string Text() const;

private:
    bool isContinuation(int index) const;
    void deleteContinuations(int index);

    std::vector<std::string> lines_;
};

} // namespace net
