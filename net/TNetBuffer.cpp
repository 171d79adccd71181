#include "net/TNetBuffer.h"

#include <algorithm>
#include <string_view>

namespace net {

void TNetBuffer::Append(const char* bytes, std::size_t count) {
    if (start_ > 0 && start_ >= data_.size() / 2) {
        data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    data_.insert(data_.end(), bytes, bytes + count);
}

std::string TNetBuffer::Take(std::size_t count) {
    count = std::min(count, Size());
    std::string out(Data(), count);
    Drop(count);
    return out;
}

void TNetBuffer::Drop(std::size_t count) {
    start_ += std::min(count, Size());
    if (start_ == data_.size())
        Clear();
}

void TNetBuffer::Clear() {
    data_.clear();
    start_ = 0;
}

std::size_t TNetBuffer::Find(const std::string& needle, std::size_t from) const {
    const std::string_view view(Data(), Size());
    return view.find(needle, from);
}

} // namespace net
