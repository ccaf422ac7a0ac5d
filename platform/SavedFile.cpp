#include "platform/SavedFile.h"

#include "platform/Log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SavedFile {

namespace {

StepWatcher& Watcher() {
    static StepWatcher watcher;
    return watcher;
}

void BeforeStep(std::string_view step, const std::string& path) {
    if (Watcher()) Watcher()(step, path);
}

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

// Not even a dangling link or a folder stands under the name; any other
// failure to look counts as taken.
bool NothingAt(const std::string& path) {
    struct stat entry;
    return ::lstat(path.c_str(), &entry) != 0 && errno == ENOENT;
}

// The first of "<path><suffix>", "<path><suffix>2", ... under which nothing
// stands; empty when every one is taken.
std::string FreeCopyName(const std::string& path, const char* suffix) {
    for (int number = 1; number <= kMaxCopies; ++number) {
        std::string name = path + suffix + (number > 1 ? std::to_string(number) : std::string());
        if (NothingAt(name)) return name;
    }
    return {};
}

// Renames the file to the first free copy name: that name, or empty with
// the reason in `why`.
std::string MoveAside(const std::string& path, const char* suffix, std::string& why) {
    std::string kept = FreeCopyName(path, suffix);
    if (kept.empty()) {
        why = "every name for a copy is taken";
        return kept;
    }
    BeforeStep("rename", kept);
    if (std::rename(path.c_str(), kept.c_str()) != 0) {
        why = std::strerror(errno);
        kept.clear();
    } else {
        SyncFolder(path);
    }
    return kept;
}

std::string StagedName(const std::string& path) { return path + ".tmp"; }

// A fresh file under the staged name, or null. Whatever stood there is a
// leftover nothing reads and goes first; the file is then made anew
// (O_EXCL), never opened through anything that stands there, so that a named
// pipe, a device or a link put in its way can neither hold the save nor take
// its bytes. A folder stays, and refuses the save.
FILE* CreateStaged(const std::string& path) {
    DropStaged(path);
    const std::string temporary = StagedName(path);
    BeforeStep("create", temporary);
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    FILE* file = ::fdopen(descriptor, "wb");
    if (!file) ::close(descriptor);
    return file;
}

}  // namespace

bool Stage(const std::string& path, std::string_view bytes) {
    std::string temporary = StagedName(path);
    FILE* file = CreateStaged(path);
    if (!file) {
        halvo::LogMessage("SavedFile::Stage - Unable to create '%s': %s", temporary.c_str(), std::strerror(errno));
        return false;
    }
    if (!WriteAndSync(file, bytes)) {
        halvo::LogMessage("SavedFile::Stage - Unable to write '%s'", temporary.c_str());
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool CommitStaged(const std::string& path) {
    BeforeStep("rename", path);
    if (std::rename(StagedName(path).c_str(), path.c_str()) != 0) {
        halvo::LogMessage("SavedFile::CommitStaged - Unable to replace '%s': %s", path.c_str(), std::strerror(errno));
        DropStaged(path);
        return false;
    }
    SyncFolder(path);
    return true;
}

void DropStaged(const std::string& path) {
    const std::string temporary = StagedName(path);
    if (NothingAt(temporary)) return;
    BeforeStep("remove", temporary);
    ::unlink(temporary.c_str());
}

bool WriteAtomically(const std::string& path, std::string_view bytes) {
    return Stage(path, bytes) && CommitStaged(path);
}

ReadResult ReadWhole(const std::string& path, std::string& out) {
    out.clear();
    // Opened without waiting, and looked at before a byte is read, so that
    // a named pipe or a device under the name cannot hold the start.
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kUnreadable;
    struct stat entry;
    const bool looked = ::fstat(descriptor, &entry) == 0;
    FILE* file = looked && S_ISREG(entry.st_mode) ? ::fdopen(descriptor, "rb") : nullptr;
    if (!file) {
        ::close(descriptor);
        return looked && !S_ISREG(entry.st_mode) ? ReadResult::kNotAFile : ReadResult::kUnreadable;
    }
    char chunk[16384];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (out.size() + got > kMaxSize) {
            std::fclose(file);
            out.clear();
            return ReadResult::kTooLarge;
        }
        out.append(chunk, got);
    }
    const bool ok = !std::ferror(file);
    std::fclose(file);
    if (!ok) out.clear();
    return ok ? ReadResult::kLoaded : ReadResult::kUnreadable;
}

std::string KeepAsDamaged(const std::string& path) {
    std::string why;
    std::string kept = MoveAside(path, ".bad", why);
    if (kept.empty())
        halvo::LogMessage("SavedFile::KeepAsDamaged - Unable to move '%s' aside, so it stays as it is: %s",
                          path.c_str(), why.c_str());
    else
        halvo::LogMessage("SavedFile::KeepAsDamaged - '%s' is damaged and was kept as '%s'", path.c_str(),
                          kept.c_str());
    return kept;
}

bool KeepAsOld(const std::string& path, std::string& kept) {
    std::string why;
    kept.clear();
    if (NothingAt(path)) return true;
    kept = MoveAside(path, ".old", why);
    if (kept.empty()) {
        halvo::LogMessage("SavedFile::KeepAsOld - Unable to move '%s' aside: %s", path.c_str(), why.c_str());
        return false;
    }
    halvo::LogMessage("SavedFile::KeepAsOld - '%s' was kept as '%s'", path.c_str(), kept.c_str());
    return true;
}

bool PutBack(const std::string& kept, const std::string& path) {
    BeforeStep("rename", path);
    if (std::rename(kept.c_str(), path.c_str()) != 0) {
        halvo::LogMessage("SavedFile::PutBack - '%s' stays as '%s': %s", path.c_str(), kept.c_str(),
                          std::strerror(errno));
        return false;
    }
    SyncFolder(path);
    return true;
}

bool Remove(const std::string& path) {
    BeforeStep("remove", path);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        halvo::LogMessage("SavedFile::Remove - Unable to remove '%s': %s", path.c_str(), std::strerror(errno));
        return false;
    }
    SyncFolder(path);
    return true;
}

void SetStepWatcher(StepWatcher watcher) { Watcher() = std::move(watcher); }

}  // namespace SavedFile
