// An optional value kept on the heap: as std::optional to use, but only a
// pointer wide when empty, for the figures most cards of a report do not
// have (a comparison, a trend, results) and a report holds by the hundred
// thousand.
#pragma once

#include <memory>
#include <optional>
#include <utility>

namespace sormel {

template <typename T>
class Boxed {
public:
    Boxed() = default;
    Boxed(std::nullopt_t) {}
    Boxed(T value) : value_(std::make_unique<T>(std::move(value))) {}
    Boxed(const std::optional<T>& value) {
        if (value) value_ = std::make_unique<T>(*value);
    }
    Boxed(const Boxed& other) : value_(other.value_ ? std::make_unique<T>(*other.value_) : nullptr) {}
    Boxed(Boxed&&) noexcept = default;
    Boxed& operator=(const Boxed& other) {
        if (this != &other) value_ = other.value_ ? std::make_unique<T>(*other.value_) : nullptr;
        return *this;
    }
    Boxed& operator=(Boxed&&) noexcept = default;

    bool has_value() const { return value_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return value_.get(); }
    const T* operator->() const { return value_.get(); }
    template <typename... Args>
    T& emplace(Args&&... args) {
        value_ = std::make_unique<T>(std::forward<Args>(args)...);
        return *value_;
    }
    void reset() { value_.reset(); }
    operator std::optional<T>() const { return value_ ? std::optional<T>(*value_) : std::nullopt; }

    friend bool operator==(const Boxed& a, const Boxed& b) {
        return a.has_value() == b.has_value() && (!a.has_value() || *a == *b);
    }

private:
    std::unique_ptr<T> value_;
};

}  // namespace sormel
