#pragma once
// The outcome of an operation that can fail: success, or a message a user can read.

#include <string>
#include <utility>

namespace zrb {

class [[nodiscard]] Result {
  public:
    static Result Success() { return Result(); }
    static Result Failure(std::string message) { return Result(std::move(message)); }

    explicit operator bool() const { return ok_; }
    bool ok() const { return ok_; }
    const std::string& message() const { return message_; }

  private:
    Result() = default;
    explicit Result(std::string message) : ok_(false), message_(std::move(message)) {}

    bool ok_ = true;
    std::string message_;
};

}  // namespace zrb
