#pragma once
// Handing a file or an address to the desktop's default application.

namespace os {

// Opens target with xdg-open in a detached process. The target is passed as a
// single argument, never through a shell, so no text in it is interpreted.
// False when the process could not be started.
bool OpenWithDesktop(const char* target);

// Runs argv[0] (searched in PATH) with the given null-terminated argument list
// in a detached process that is reaped by init, never by us.
bool LaunchDetached(const char* const argv[]);

}  // namespace os
