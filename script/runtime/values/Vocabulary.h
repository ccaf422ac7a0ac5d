#pragma once
// A string pool: each text is stored once and numbered by its byte offset;
// a sorted index of offsets serves look-ups. Offset 0 holds the empty text.

#include "script/runtime/values/VarExtension.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Vrel {

class Vocabulary : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create() { return new Vocabulary; }

    Vocabulary() = default;
    ~Vocabulary() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "Vocabulary"; }

    // Every compiled function holds two (its names and its texts): they
    // come from the member map's block lists instead of one heap allocation
    // each.
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size);

    // The text's offset, adding it when new; -1 for null or when the pool
    // is full.
    int32_t Add(const char* text);
    // Adds the text even when it is there already, so that the n-th text of
    // the pool stays the n-th name added.
    int32_t Append(const char* text);
    // The offset of an equal text (position gets its index place), else -1.
    int32_t Find(const char* text, int32_t* position = nullptr) const;
    // The first index place whose text is not less than the given one.
    int32_t Search(const char* text) const;
    // The ordinal of the first equal text after the empty one, else -1.
    int32_t FindLinear(const char* text) const;
    void CopyFrom(const Vocabulary& other);
    // Frees pool and index; the object stays.
    void Clear();

    // The text numbered offset, or null.
    const char* GetText(int32_t offset) const;
    const char* GetPool() const { return pool_.get(); }
    int32_t GetUsed() const { return used_; }
    int32_t GetPoolCapacity() const { return poolCapacity_; }
    int32_t GetIndexCount() const { return indexCount_; }
    int32_t GetIndexCapacity() const { return indexCapacity_; }
    int32_t GetIndexAt(int32_t position) const { return index_[position]; }
    // Takes a pool as read from a file; the index stays empty.
    void RestorePool(const char* bytes, int32_t size);

    // String constants point into this pool: its blocks must then never
    // move or free until the script machine goes.
    void KeepBlocksAlive() { keepBlocks_ = true; }

private:
    bool ReservePool(int32_t length);
    void InsertIndex(int32_t position, int32_t offset);
    void RetireBlock(std::unique_ptr<char[]> block);
    int32_t AppendText(const char* text, int32_t length);

    std::unique_ptr<char[]> pool_;
    int32_t used_ = 0;
    int32_t poolCapacity_ = 0;
    std::unique_ptr<int32_t[]> index_;
    int32_t indexCount_ = 0;
    int32_t indexCapacity_ = 0;
    bool keepBlocks_ = false;
};

}  // namespace Vrel
