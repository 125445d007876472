#pragma once

#include <optional>
#include <string>
#include <utility>

namespace velmora {

// The outcome of an operation at a module edge: success, or a message a user can read. Every public
// function of every box reports its failures this way (or as a Result); neither may be dropped
// unseen: a step that may fail while the work goes on says so with skipFailure().
class [[nodiscard]] Status {
public:
    Status() = default;
    static Status failure(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !message_.has_value(); }
    explicit operator bool() const { return ok(); }
    const std::string& message() const {
        static const std::string none;
        return message_ ? *message_ : none;
    }

private:
    explicit Status(std::string message)
        : message_(std::move(message)) {}
    std::optional<std::string> message_;
};

// A value, or the message that tells why there is none.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value)
        : value_(std::move(value)) {}
    Result(Status failure)
        : status_(std::move(failure)) {}
    static Result failure(std::string message) { return Result(Status::failure(std::move(message))); }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    T& value() { return *value_; }
    const T& value() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    const std::string& message() const { return status_.message(); }
    const Status& status() const { return status_; }

private:
    std::optional<T> value_;
    Status status_;
};

// Where a step may fail and the work goes on with the next one (a print surface operation of a
// layout, a page break), the failure is dropped here, visibly, rather than by forgetting the result.
inline void skipFailure(const Status&) {}

} // namespace velmora
