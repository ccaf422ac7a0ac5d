#pragma once
// Runs a clean-up action when the enclosing scope ends, on every path out.

#include <utility>

namespace halvo {

template <class Action>
class ScopeGuard {
public:
    explicit ScopeGuard(Action action) : action_(std::move(action)) {}
    ~ScopeGuard() { action_(); }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

private:
    Action action_;
};

}  // namespace halvo
