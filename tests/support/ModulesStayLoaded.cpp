// Linked into every test executable: no shared module is ever unloaded in a
// test process. The window and graphics libraries load modules of their own
// (the GL and EGL vendors, the driver) and unload them again when the display
// closes, some while still holding allocations. Once a module is gone, its
// globals no longer keep those allocations reachable and its code no longer
// has a name, so the leak checker reports them "from <unknown module>",
// which no suppression by library name can match; whether it does depends
// on how the display's libraries happened to load. Kept loaded, every
// allocation of theirs stays reachable or names its library, while a leak
// of our own code, which never lives in an unloaded module, is still found.

#include <dlfcn.h>

extern "C" int dlclose(void*) noexcept {
    return 0;
}
