#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace net {

// A growable byte queue: bytes are appended at the back and taken from the front. Taking only
// moves a read offset; the storage is compacted when the consumed part dominates.
class TNetBuffer {
public:
    std::size_t Size() const { return data_.size() - start_; }
    bool Empty() const { return Size() == 0; }
    const char* Data() const { return data_.data() + start_; }

    void Append(const char* bytes, std::size_t count);
    // Removes count bytes from the front (at most Size()) and answers them.
    std::string Take(std::size_t count);
    void Drop(std::size_t count);
    void Clear();
    // Index of the first occurrence of needle at or after from, or npos.
    std::size_t Find(const std::string& needle, std::size_t from = 0) const;

private:
    std::vector<char> data_;
    std::size_t start_ = 0;
};

} // namespace net
