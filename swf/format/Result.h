#pragma once

// Bad input is an error value passed up to the caller; programmer mistakes are assertions.

#include <QString>
#include <cassert>
#include <utility>
#include <variant>

namespace swf {

struct Error {
    QString message;
};

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok());
        return std::get<0>(v_);
    }
    const T& value() const& {
        assert(ok());
        return std::get<0>(v_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(v_));
    }
    const Error& error() const {
        assert(!ok());
        return std::get<1>(v_);
    }

private:
    std::variant<T, Error> v_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), ok_(false) {}
    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const {
        assert(!ok_);
        return error_;
    }

private:
    Error error_;
    bool ok_ = true;
};

// Returns early from the enclosing function with the error of a failed Result.
#define SWF_TRY(expr)                                                                              \
    do {                                                                                           \
        auto&& swf_try_result_ = (expr);                                                           \
        if (!swf_try_result_.ok())                                                                 \
            return swf_try_result_.error();                                                        \
    } while (0)

} // namespace swf
