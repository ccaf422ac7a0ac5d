#include "platform/os/Environment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace os {
namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const char* NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The value of XDG_DOCUMENTS_DIR with $HOME expanded; empty when absent.
std::string DocumentsEntry(std::string_view home, std::string_view userDirsText) {
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    size_t start = 0;
    while (start < userDirsText.size()) {
        size_t end = userDirsText.find('\n', start);
        if (end == std::string_view::npos) end = userDirsText.size();
        std::string_view line = TrimSpaces(userDirsText.substr(start, end - start));
        start = end + 1;
        if (!line.starts_with(kKey)) continue;
        std::string_view value = line.substr(kKey.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME")) return std::string(home) + std::string(value.substr(5));
        if (value.starts_with("/")) return std::string(value);
        return {};
    }
    return {};
}

}  // namespace

bool StatusShowsTracer(std::string_view statusText) {
    constexpr std::string_view kKey = "TracerPid:";
    const size_t at = statusText.find(kKey);
    if (at == std::string_view::npos) return false;
    std::string_view rest = statusText.substr(at + kKey.size());
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    return !rest.empty() && rest.front() >= '1' && rest.front() <= '9';
}

bool IsDebuggerPresent() { return StatusShowsTracer(ReadWholeFile("/proc/self/status")); }

int LanguageFromLocaleName(std::string_view locale) {
    if (locale.size() < 2) return kLanguageOther;
    if (locale.size() > 2 && locale[2] != '_' && locale[2] != '.' && locale[2] != '@' &&
        locale[2] != ':')
        return kLanguageOther;
    const std::string_view code = locale.substr(0, 2);
    if (code == "de") return kLanguageGerman;
    if (code == "en") return kLanguageEnglish;
    return kLanguageOther;
}

int GetUserDefaultUILanguage() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = NonEmptyEnv(name)) return LanguageFromLocaleName(value);
    return kLanguageOther;
}

bool DisplayAvailable() {
    // An empty value names no display and no driver.
    return NonEmptyEnv("DISPLAY") || NonEmptyEnv("WAYLAND_DISPLAY") || NonEmptyEnv("SDL_VIDEODRIVER");
}

std::string NamedDisplays() {
    std::string named;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = NonEmptyEnv(name);
        if (!value) continue;
        if (!named.empty()) named += " and ";
        named += std::string(name) + "='" + value + "'";
    }
    return named;
}

std::string DocumentsFolderFrom(std::string_view home, std::string_view userDirsText) {
    std::string folder = DocumentsEntry(home, userDirsText);
    if (folder.empty()) folder = std::string(home) + "/Documents";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string DocumentsFolder() {
    const char* home = NonEmptyEnv("HOME");
    if (!home) return {};
    const char* configHome = NonEmptyEnv("XDG_CONFIG_HOME");
    const std::string userDirs =
        (configHome ? std::string(configHome) : std::string(home) + "/.config") + "/user-dirs.dirs";
    std::string folder = DocumentsFolderFrom(home, ReadWholeFile(userDirs));
    CreateFolders(folder);
    return folder;
}

std::string WorkingFolder() {
    char* path = getcwd(nullptr, 0);
    std::string folder = path ? path : "";
    std::free(path);
    return folder;
}

bool CreateFolders(const std::string& path) {
    if (path.empty()) return false;
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ToSystemPath(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

}  // namespace os
