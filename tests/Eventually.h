// Waits (bounded, 5 s) for a condition another thread makes true.
#pragma once

#include <chrono>
#include <thread>

namespace ivra::testing {

template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

}  // namespace ivra::testing
