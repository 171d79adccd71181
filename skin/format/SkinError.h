#pragma once

#include <stdexcept>
#include <string>

namespace skin {

// Every failure while reading or writing a skin: truncated data, corrupt compression, an
// unknown class, a malformed text form. The message is meant for the user.
class SkinError : public std::runtime_error {
public:
    explicit SkinError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace skin
