#include "platform/os/Launch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace os {

bool LaunchDetached(const char* const argv[]) {
    if (!argv || !argv[0]) return false;
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        // The intermediate child exits at once so that the grandchild is
        // adopted by init and never lingers as a zombie of ours.
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execvp(argv[0], const_cast<char* const*>(argv));
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OpenWithDesktop(const char* target) {
    if (!target || !*target) return false;
    const char* argv[] = {"xdg-open", target, nullptr};
    return LaunchDetached(argv);
}

}  // namespace os
