#include "platform/UserFolder.h"

#include "platform/Log.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr const char* kUserFolderName = "Tavrin/";

bool IsFolder(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string PrepareUserFolder(const std::string& documentsFolder) {
    std::string folder = documentsFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    folder += kUserFolderName;
    if (::mkdir(folder.c_str(), 0755) != 0 && !IsFolder(folder)) {
        halvo::LogMessage("PrepareUserFolder - Unable to create '%s': %s", folder.c_str(), std::strerror(errno));
        return {};
    }
    return folder;
}
