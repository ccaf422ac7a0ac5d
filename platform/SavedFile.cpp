#include "platform/SavedFile.h"

#include "platform/Log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace SavedFile {

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename itself must reach the disk too, or a power cut may bring
// back the old directory entry.
void SyncFolder(const std::string& path) {
    int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0) return;
    ::fsync(folder);
    ::close(folder);
}

bool WriteAndSync(FILE* file, std::string_view bytes) {
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fflush(file) == 0 && written;
    written = ::fsync(fileno(file)) == 0 && written;
    written = !std::ferror(file) && written;
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool WriteAtomically(const std::string& path, std::string_view bytes) {
    std::string temporary = path + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        halvo::LogMessage("SavedFile::WriteAtomically - Unable to create '%s': %s", temporary.c_str(),
                          std::strerror(errno));
        return false;
    }
    if (!WriteAndSync(file, bytes)) {
        halvo::LogMessage("SavedFile::WriteAtomically - Unable to write '%s'", temporary.c_str());
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        halvo::LogMessage("SavedFile::WriteAtomically - Unable to replace '%s': %s", path.c_str(),
                          std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    SyncFolder(path);
    return true;
}

ReadResult ReadWhole(const std::string& path, std::string& out) {
    out.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kUnreadable;
    char chunk[16384];
    bool ok = true;
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (out.size() + got > kMaxSize) {
            ok = false;
            break;
        }
        out.append(chunk, got);
    }
    ok = ok && !std::ferror(file);
    std::fclose(file);
    if (!ok) out.clear();
    return ok ? ReadResult::kLoaded : ReadResult::kUnreadable;
}

bool KeepAsDamaged(const std::string& path) {
    std::string kept = path + ".bad";
    if (std::rename(path.c_str(), kept.c_str()) != 0) {
        halvo::LogMessage("SavedFile::KeepAsDamaged - Unable to move '%s' aside: %s", path.c_str(),
                          std::strerror(errno));
        return false;
    }
    halvo::LogMessage("SavedFile::KeepAsDamaged - '%s' is damaged and was kept as '%s'", path.c_str(),
                      kept.c_str());
    SyncFolder(path);
    return true;
}

}  // namespace SavedFile
