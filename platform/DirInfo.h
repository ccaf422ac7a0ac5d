#pragma once
// One data folder as the file manager has seen it: its sub-folders, its
// ".tvk" archives and its plain file names, listed once until the caches are
// reset.

#include "platform/FileArchive.h"
#include "platform/FileHandle.h"
#include "platform/RefObj.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class _DirInfo : public halvo::RefObj {
public:
    // Names and paths this long or longer are treated as missing.
    static constexpr size_t kMaxPathLength = 260;
    static constexpr const char* kArchiveExtension = ".tvk";

    _DirInfo(_DirInfo* parent, std::string name);

    void Scan();
    // Looks up components[index..] below this folder. pathBuffer holds the
    // path of the folder above (empty for a root) and is extended on the way.
    FileHandle* OpenFile(std::string& pathBuffer, const std::vector<std::string>& components,
                         size_t index);
    // Appends the folder's path followed by "/".
    void GetPath(std::string& buffer) const;
    // Forgets the listing so that the next look-up lists the folder again.
    void ClearCache();

    const std::string& GetName() const { return name_; }

private:
    void AddListed(const char* name, size_t length, uint32_t type);
    FileHandle* OpenPlainFile(const std::string& folderPath, const std::string& name) const;
    FileHandle* OpenInArchive(const std::string& folderPath,
                              const std::vector<std::string>& components, size_t index);
    const std::string* FindFileIgnoringCase(const std::string& name) const;

    halvo::WeakRef<_DirInfo> parent_;
    std::string name_;
    std::map<std::string, halvo::AutoRef<_DirInfo>> subFolders_;
    std::map<std::string, halvo::AutoRef<FileArchive>> archives_;
    std::set<std::string> files_;  // byte order, for the case fallback
    bool scanned_ = false;
};
