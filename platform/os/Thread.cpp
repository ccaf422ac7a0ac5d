#include "platform/os/Thread.h"

#include <pthread.h>

#include <cstring>

namespace os {

std::jthread StartThread(const char* name, std::function<void()> body) {
    char shortName[16] = {};
    std::strncpy(shortName, name ? name : "", sizeof shortName - 1);
    return std::jthread([body = std::move(body), shortName]() mutable {
        pthread_setname_np(pthread_self(), shortName);
        body();
    });
}

}  // namespace os
