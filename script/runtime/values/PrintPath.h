#pragma once
// The containers whose text is being formed right now. A container met
// again on that path, or past the depth cap, prints as "..." so that a
// structure holding itself cannot recurse without end.

namespace Vrel {

class VarExtension;

constexpr int kMaxPrintDepth = 16;

class PrintPath {
public:
    explicit PrintPath(const VarExtension* container);
    ~PrintPath();
    PrintPath(const PrintPath&) = delete;
    PrintPath& operator=(const PrintPath&) = delete;

    static bool MustElide(const VarExtension* object);
};

}  // namespace Vrel
