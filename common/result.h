// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace common {

// What an operation that can fail answers: success, or why it failed in words fit to tell the user
// (after "ERROR:", or whole, as the operation documents). No caller can drop it unread.
class [[nodiscard]] Status {
public:
    Status() = default;
    static Status failure(QString reason) {
        Status failed;
        failed.failed_ = true;
        failed.reason_ = std::move(reason);
        return failed;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // Empty on success.
    const QString& error() const { return reason_; }

private:
    bool failed_ = false;
    QString reason_;
};

// A value, or why there is none.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : outcome_(std::move(value)) {}
    Result(Status failure) : outcome_(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(outcome_); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<T>(outcome_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    const QString& error() const {
        static const QString none;
        return ok() ? none : std::get<Status>(outcome_).error();
    }
    Status status() const { return ok() ? Status() : std::get<Status>(outcome_); }
    friend bool operator==(const Result& result, const T& value) {
        return result.ok() && result.value() == value;
    }

private:
    std::variant<T, Status> outcome_;
};

} // namespace common
