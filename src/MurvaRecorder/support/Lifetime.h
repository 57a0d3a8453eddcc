#pragma once

#include <memory>

namespace murva {

// Lets a coroutine of an object that is not a QObject learn, each time it resumes,
// whether the object still exists: the object holds a Lifetime, the coroutine a Watch
// taken before its first suspension.
//
//     const Lifetime::Watch alive = lifetime_.watch();
//     co_await something;
//     if (!alive) ... // `this` is gone: touch nothing of it
class Lifetime {
public:
    class Watch {
    public:
        explicit operator bool() const { return !token_.expired(); }

    private:
        friend class Lifetime;
        explicit Watch(std::weak_ptr<const int> token) : token_(std::move(token)) {}
        std::weak_ptr<const int> token_;
    };

    Lifetime() = default;
    // A copy is another object with a life of its own.
    Lifetime(const Lifetime &) : Lifetime() {}
    Lifetime &operator=(const Lifetime &) { return *this; }

    Watch watch() const { return Watch(token_); }

private:
    std::shared_ptr<const int> token_ = std::make_shared<const int>(0);
};

} // namespace murva
