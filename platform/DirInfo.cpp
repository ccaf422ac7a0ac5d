#include "platform/DirInfo.h"

#include "platform/ArchiveStream.h"
#include "platform/AsciiCase.h"
#include "platform/os/FolderListing.h"

#include <sys/stat.h>

#include <cstring>
#include <new>

namespace {

bool IsSkippedFolderEntry(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
           std::strcmp(name, ".svn") == 0;
}

bool HasArchiveExtension(const char* name, size_t length) {
    const char* dot = std::strrchr(name, '.');
    return length > 3 && dot && halvo::AsciiEqualNoCase(dot, _DirInfo::kArchiveExtension);
}

FileHandle* HandleForFile(std::FILE* file) {
    if (fseeko(file, 0, SEEK_END) != 0) return nullptr;
    off_t size = ftello(file);
    // The handle's size is 32-bit; a larger file cannot be described.
    if (size < 0 || uint64_t(size) > UINT32_MAX || fseeko(file, 0, SEEK_SET) != 0) return nullptr;
    FileHandle* handle = new (std::nothrow) FileHandle;
    if (!handle) return nullptr;
    handle->file = file;
    handle->size = static_cast<uint32_t>(size);
    return handle;
}

}  // namespace

_DirInfo::_DirInfo(_DirInfo* parent, std::string name) : parent_(parent), name_(std::move(name)) {}

void _DirInfo::GetPath(std::string& buffer) const {
    if (_DirInfo* parent = parent_.Get()) parent->GetPath(buffer);
    buffer += name_;
    buffer += '/';
}

void _DirInfo::ClearCache() {
    subFolders_.clear();
    archives_.clear();
    files_.clear();
    scanned_ = false;
}

void _DirInfo::Scan() {
    ClearCache();
    scanned_ = true;
    std::string path;
    GetPath(path);
    os::FolderListing listing;
    if (!listing.Open(path.c_str())) return;
    os::FolderEntry entry;
    while (listing.Next(entry)) {
        if (!IsSkippedFolderEntry(entry.name)) AddListed(entry.name, entry.length, entry.type);
    }
}

void _DirInfo::AddListed(const char* name, size_t length, uint32_t type) {
    if (type == os::kEntryFolder) {
        subFolders_[name] = new _DirInfo(this, name);
    } else if (type == os::kEntryFile) {
        files_.insert(name);
        if (HasArchiveExtension(name, length)) archives_[name].Reset();
    }
}

FileHandle* _DirInfo::OpenFile(std::string& pathBuffer, const std::vector<std::string>& components,
                               size_t index) {
    if (index >= components.size()) return nullptr;
    if (!scanned_) Scan();
    if (index == 0) {
        pathBuffer = name_;
    } else {
        pathBuffer += '/';
        pathBuffer += name_;
    }
    if (pathBuffer.size() >= kMaxPathLength) return nullptr;

    const std::string& component = components[index];
    if (index + 1 == components.size()) return OpenPlainFile(pathBuffer, component);
    auto folder = subFolders_.find(component);
    if (folder != subFolders_.end()) return folder->second->OpenFile(pathBuffer, components, index + 1);
    return OpenInArchive(pathBuffer, components, index);
}

FileHandle* _DirInfo::OpenPlainFile(const std::string& folderPath, const std::string& name) const {
    if (name.size() >= kMaxPathLength) return nullptr;
    // The exact name first; then the listed name that matches ignoring case,
    // so data made on a case-insensitive file system still loads.
    for (const std::string* candidate : {&name, FindFileIgnoringCase(name)}) {
        if (!candidate) continue;
        std::string full = folderPath + '/' + *candidate;
        if (full.size() >= kMaxPathLength) return nullptr;
        struct stat status;
        if (stat(full.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
        std::FILE* file = std::fopen(full.c_str(), "rb");
        if (!file) continue;
        if (FileHandle* handle = HandleForFile(file)) return handle;
        std::fclose(file);
    }
    return nullptr;
}

const std::string* _DirInfo::FindFileIgnoringCase(const std::string& name) const {
    for (const std::string& listed : files_) {
        if (listed != name && halvo::AsciiEqualNoCase(listed, name)) return &listed;
    }
    return nullptr;
}

FileHandle* _DirInfo::OpenInArchive(const std::string& folderPath,
                                    const std::vector<std::string>& components, size_t index) {
    auto slot = archives_.find(components[index] + kArchiveExtension);
    if (slot == archives_.end()) return nullptr;
    if (!slot->second) slot->second = new FileArchive;
    FileArchive& archive = *slot->second;
    if (!archive.IsOpen()) {
        std::string archivePath = folderPath + '/' + slot->first;
        if (archivePath.size() >= kMaxPathLength || !archive.Open(archivePath.c_str())) return nullptr;
    }
    std::string entryName;
    for (size_t i = index + 1; i < components.size(); ++i) {
        if (!entryName.empty()) entryName += '/';
        entryName += components[i];
    }
    ArchiveStream* stream = archive.OpenEntry(entryName.c_str());
    if (!stream) return nullptr;
    FileHandle* handle = new (std::nothrow) FileHandle;
    if (!handle) {
        stream->Close();
        return nullptr;
    }
    handle->entry = stream;
    handle->size = stream->GetSize();
    return handle;
}
