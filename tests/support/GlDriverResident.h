#pragma once
// Keeps the OpenGL driver modules loaded until the process ends. The driver
// is unloaded when the display closes, and allocations it still holds then
// show as leaks from an unknown module that no suppression can name.

namespace testsupport {

// Call while a GL context is current (the driver is loaded by then).
void KeepGlDriverResident();

}  // namespace testsupport
