#pragma once
// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.

#include <string>
#include <string_view>

namespace testsupport {

class TempFolder {
public:
    // Under `base` when given, else under the system's temporary folder.
    explicit TempFolder(const std::string& base = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path of a file or folder below this one.
    std::string operator/(std::string_view relative) const;
    // Writes a file, creating the folders above it.
    void WriteFile(std::string_view relative, std::string_view bytes) const;
    void MakeFolder(std::string_view relative) const;

private:
    std::string path_;
};

}  // namespace testsupport
