#pragma once
// What the program asks of the system about its surroundings: an attached
// debugger, the user's language, whether there is a display, the documents
// and working folders. The queries that parse system text have a pure parsing
// half, so that it can be tested without touching the real system.

#include <string>
#include <string_view>

namespace os {

// Language ids as the system's user-interface language reports them; only
// the low 8 bits are meaningful to callers.
constexpr int kLanguageOther = 0;
constexpr int kLanguageGerman = 7;
constexpr int kLanguageEnglish = 9;

// True when the kernel reports a tracer for this process.
bool IsDebuggerPresent();
// The TracerPid line of a /proc/<pid>/status text is non-zero.
bool StatusShowsTracer(std::string_view statusText);

// The preferred user-interface language from the locale variables (LANGUAGE,
// LC_ALL, LC_MESSAGES, LANG: the first that is set). The process locale is not
// changed: numbers must keep printing with a decimal point.
int GetUserDefaultUILanguage();
// "de_DE.UTF-8" gives German, "en" English; "C", "POSIX" and the rest Other.
int LanguageFromLocaleName(std::string_view locale);

// True when the window library has somewhere to show a window: an X display
// or a Wayland compositor is named, or a video driver was chosen on purpose
// (SDL_VIDEODRIVER, as headless tests and tools do). Without any of them the
// library would fall back to an invisible offscreen window that nobody can
// see or close, and the program would spin there until killed. A display
// named but not there shows only once video starts (VideoSession).
bool DisplayAvailable();
// The displays named, as the variables give them: "DISPLAY=':1'",
// "WAYLAND_DISPLAY='wayland-0'" or both joined by " and "; empty for none.
std::string NamedDisplays();

// The documents folder, created when missing; empty when there is no home.
std::string DocumentsFolder();
// The documents folder named by a user-dirs file's XDG_DOCUMENTS_DIR line
// ("$HOME/..." or an absolute path), else home + "/Documents".
std::string DocumentsFolderFrom(std::string_view home, std::string_view userDirsText);

// The process's working folder; empty when it cannot be named.
std::string WorkingFolder();

// Creates a folder and its missing parents; true when it exists afterwards.
bool CreateFolders(const std::string& path);

// Data paths may use '\' or '/'; the system wants '/'.
std::string ToSystemPath(std::string_view path);

}  // namespace os
