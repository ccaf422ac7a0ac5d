#pragma once
// A named worker thread that is joined when its owner lets go of it.

#include <functional>
#include <thread>

namespace os {

// Starts body on a new thread; the name (at most 15 characters are kept) shows
// in debuggers and process lists.
std::jthread StartThread(const char* name, std::function<void()> body);

}  // namespace os
