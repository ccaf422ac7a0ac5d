#include "script/runtime/values/Vocabulary.h"

#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/values/t_Named.h"

#include <algorithm>
#include <cstring>

namespace Vrel {

const ClassRecord Vocabulary::kClassRecord = {"Vocabulary", &VarExtension::kClassRecord, &Vocabulary::Create};

namespace {
// Offsets are 32-bit numbers in the bytecode; stay well clear of the top.
constexpr int64_t kMaxPoolBytes = int64_t{1} << 30;
constexpr int32_t kFirstIndexCapacity = 16;
// Most tables (a function's names and texts) hold a few short words: a
// small first pool keeps thousands of them from filling pages with room.
constexpr int64_t kFirstPoolBytes = 64;

// The order strcmp gives, compared in place: the texts looked up while a
// script compiles are mostly names of a few bytes, where a library call costs
// more than the comparison itself.
int CompareText(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const auto x = static_cast<unsigned char>(*a);
        const auto y = static_cast<unsigned char>(*b);
        if (x != y || x == 0) return static_cast<int>(x) - static_cast<int>(y);
    }
}
}  // namespace

Vocabulary::~Vocabulary() { Clear(); }

void* Vocabulary::operator new(size_t size) { return member_blocks::Take(size); }

void Vocabulary::operator delete(void* block, size_t size) { member_blocks::Give(block, size); }

void Vocabulary::RetireBlock(std::unique_ptr<char[]> block) {
    if (keepBlocks_)
        ScriptVM::Global().RetainTextBlock(std::move(block));
}

void Vocabulary::Clear() {
    RetireBlock(std::move(pool_));
    used_ = poolCapacity_ = 0;
    index_.reset();
    indexCount_ = indexCapacity_ = 0;
}

const char* Vocabulary::GetText(int32_t offset) const {
    return offset >= 0 && offset < used_ ? pool_.get() + offset : nullptr;
}

int32_t Vocabulary::Search(const char* text) const {
    int32_t low = 0, high = indexCount_;
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (CompareText(pool_.get() + index_[middle], text) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

int32_t Vocabulary::Find(const char* text, int32_t* position) const {
    if (!text || indexCount_ == 0) return -1;
    int32_t place = Search(text);
    if (place >= indexCount_ || CompareText(pool_.get() + index_[place], text) != 0) return -1;
    if (position) *position = place;
    return index_[place];
}

int32_t Vocabulary::FindLinear(const char* text) const {
    if (!text || used_ < 2) return -1;
    // One pass per text: compared while it matches, passed to its end after.
    const char* pool = pool_.get();
    int32_t ordinal = 0;
    for (int32_t offset = 1; offset < used_; ++ordinal) {
        const char* candidate = pool + offset;
        const char* wanted = text;
        while (*candidate != '\0' && *candidate == *wanted) {
            ++candidate;
            ++wanted;
        }
        if (*candidate == *wanted) return ordinal;
        while (*candidate != '\0') ++candidate;
        offset = static_cast<int32_t>(candidate - pool) + 1;
    }
    return -1;
}

int32_t Vocabulary::Add(const char* text) {
    if (!text) return -1;
    int32_t found = Find(text);
    if (found >= 0) return found;
    return Append(text);
}

int32_t Vocabulary::Append(const char* text) {
    if (!text) return -1;
    size_t length = std::strlen(text);
    if (static_cast<int64_t>(length) + used_ + 1 >= kMaxPoolBytes) return -1;
    int32_t place = indexCount_ > 0 ? Search(text) : 0;
    int32_t offset = AppendText(text, static_cast<int32_t>(length));
    if (offset < 0) return -1;
    InsertIndex(place, offset);
    return offset;
}

int32_t Vocabulary::AppendText(const char* text, int32_t length) {
    if (used_ == 0) {
        if (!ReservePool(0)) return -1;
        pool_[0] = '\0';
        used_ = 1;
    }
    if (!ReservePool(length)) return -1;
    int32_t offset = used_;
    std::memcpy(pool_.get() + offset, text, static_cast<size_t>(length) + 1);
    used_ += length + 1;
    return offset;
}

bool Vocabulary::ReservePool(int32_t length) {
    if (static_cast<int64_t>(used_) + length + 1 < poolCapacity_) return true;
    int64_t capacity = ((length + poolCapacity_ * int64_t{5} / 4 + 256) & ~int64_t{7}) + 8;
    if (poolCapacity_ == 0 && used_ + length + 1 < kFirstPoolBytes) capacity = kFirstPoolBytes;
    if (capacity > kMaxPoolBytes) return false;
    std::unique_ptr<char[]> grown(new char[static_cast<size_t>(capacity)]);
    if (used_ > 0) std::memcpy(grown.get(), pool_.get(), static_cast<size_t>(used_));
    std::swap(pool_, grown);
    poolCapacity_ = static_cast<int32_t>(capacity);
    RetireBlock(std::move(grown));
    return true;
}

void Vocabulary::InsertIndex(int32_t position, int32_t offset) {
    if (indexCount_ + 1 >= indexCapacity_) {
        // At least one more place: a copied index may be exactly full.
        int32_t capacity = std::max({kFirstIndexCapacity, indexCapacity_ + 1, indexCapacity_ * 5 / 4});
        std::unique_ptr<int32_t[]> grown(new int32_t[static_cast<size_t>(capacity)]);
        std::copy(index_.get(), index_.get() + position, grown.get());
        std::copy(index_.get() + position, index_.get() + indexCount_, grown.get() + position + 1);
        index_ = std::move(grown);
        indexCapacity_ = capacity;
    } else {
        std::copy_backward(index_.get() + position, index_.get() + indexCount_, index_.get() + indexCount_ + 1);
    }
    index_[position] = offset;
    ++indexCount_;
}

void Vocabulary::CopyFrom(const Vocabulary& other) {
    if (&other == this) return;
    std::unique_ptr<char[]> pool(other.used_ > 0 ? new char[static_cast<size_t>(other.used_)] : nullptr);
    if (other.used_ > 0) std::memcpy(pool.get(), other.pool_.get(), static_cast<size_t>(other.used_));
    std::unique_ptr<int32_t[]> index(other.indexCount_ > 0 ? new int32_t[static_cast<size_t>(other.indexCount_)] : nullptr);
    if (other.indexCount_ > 0) std::copy(other.index_.get(), other.index_.get() + other.indexCount_, index.get());
    std::swap(pool_, pool);
    RetireBlock(std::move(pool));
    used_ = poolCapacity_ = other.used_;
    index_ = std::move(index);
    indexCount_ = indexCapacity_ = other.indexCount_;
}

void Vocabulary::RestorePool(const char* bytes, int32_t size) {
    Clear();
    if (!bytes || size <= 0 || size >= kMaxPoolBytes) return;
    pool_.reset(new char[static_cast<size_t>(size) + 1]);
    std::memcpy(pool_.get(), bytes, static_cast<size_t>(size));
    // A pool from a file may lack its last terminator; texts never run off.
    pool_[size] = '\0';
    used_ = poolCapacity_ = size;
}

}  // namespace Vrel
