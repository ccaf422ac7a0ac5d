#include "script/runtime/t_Named.h"

#include "platform/os/LargeChunk.h"
#include "script/runtime/PrintPath.h"

#include <cstring>
#include <new>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace Vrel {

const ClassRecord t_Named::kClassRecord = {"t_Named", &VarExtension::kClassRecord, &t_Named::Create};

namespace member_blocks {
namespace {

// Room for a map node: the tree links, the name and the value.
constexpr size_t kBlockBytes = 96;
static_assert(4 * sizeof(void*) + sizeof(std::pair<const std::string, Var>) <= kBlockBytes,
              "a member map node fits a block");
// Room for the larger objects a compiled function holds (its code object).
constexpr size_t kLargeBlockBytes = 256;
// The first chunk is small, for the many small programs; later ones are one
// large page each where the system offers them, so that a module of
// thousands of functions costs a few page faults for its members instead of
// hundreds.
constexpr size_t kFirstChunkBlocks = 1024;
constexpr size_t kLargeChunkBytes = size_t{2} << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPoolBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPoolBlocks = false;
#else
constexpr bool kPoolBlocks = true;
#endif
#else
constexpr bool kPoolBlocks = true;
#endif

struct Spare {
    Spare* next;
};

// A thread's own blocks, so that making or dropping a member takes no lock.
// Trivially destructible: members of static objects released after the
// thread's other locals went still find it.
struct LocalBlocks {
    Spare* spare = nullptr;
    unsigned char* fresh = nullptr;
    size_t unused = 0;
};

// Held only for a few instructions, so waiting spins.
class SpinGuard {
public:
    explicit SpinGuard(std::atomic_flag& flag) : flag_(flag) {
        while (flag_.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~SpinGuard() { flag_.clear(std::memory_order_release); }
    SpinGuard(const SpinGuard&) = delete;
    SpinGuard& operator=(const SpinGuard&) = delete;

private:
    std::atomic_flag& flag_;
};

// The blocks of one size: each thread's own, and what ended threads left
// for the next thread that runs out. Never destroyed: members held by static
// objects may go after it would have.
template <size_t kBytes>
class Blocks {
public:
    static void* Take() {
        LocalBlocks& local = tLocal;
        if (!local.spare && local.unused == 0) Global().Refill(local);
        if (Spare* block = local.spare) {
            local.spare = block->next;
            return block;
        }
        --local.unused;
        void* block = local.fresh;
        local.fresh += kBytes;
        return block;
    }
    static void Give(void* block) {
        LocalBlocks& local = tLocal;
        local.spare = new (block) Spare{local.spare};
    }

private:
    static Blocks& Global() {
        static Blocks* blocks = new Blocks;
        return *blocks;
    }

    // A list or a piece of chunk a finished thread left, else a new chunk.
    void Refill(LocalBlocks& local) {
        static thread_local HandBack handBack;
        (void)handBack;
        SpinGuard lock(busy_);
        if (!spareLists_.empty()) {
            local.spare = spareLists_.back();
            spareLists_.pop_back();
            return;
        }
        if (!pieces_.empty()) {
            local.fresh = pieces_.back().fresh;
            local.unused = pieces_.back().unused;
            pieces_.pop_back();
            return;
        }
        const bool first = !madeChunk_;
        madeChunk_ = true;
        local.fresh = first ? static_cast<unsigned char*>(::operator new(kFirstChunkBlocks * kBytes))
                            : static_cast<unsigned char*>(os::AllocateLargeChunk(kLargeChunkBytes));
        local.unused = first ? kFirstChunkBlocks : kLargeChunkBytes / kBytes;
    }

    struct HandBack {
        ~HandBack() { Global().TakeBack(tLocal); }
    };
    struct Piece {
        unsigned char* fresh;
        size_t unused;
    };

    void TakeBack(LocalBlocks& local) {
        SpinGuard lock(busy_);
        if (local.spare) spareLists_.push_back(local.spare);
        if (local.unused > 0) pieces_.push_back({local.fresh, local.unused});
        local = LocalBlocks{};
    }

    static constinit thread_local LocalBlocks tLocal;

    std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
    bool madeChunk_ = false;
    std::vector<Spare*> spareLists_;
    std::vector<Piece> pieces_;
};

template <size_t kBytes>
constinit thread_local LocalBlocks Blocks<kBytes>::tLocal;

}  // namespace

void* Take(size_t bytes) {
    if (!kPoolBlocks || bytes > kLargeBlockBytes) return ::operator new(bytes);
    return bytes <= kBlockBytes ? Blocks<kBlockBytes>::Take() : Blocks<kLargeBlockBytes>::Take();
}

void Give(void* block, size_t bytes) {
    if (!block) return;
    if (!kPoolBlocks || bytes > kLargeBlockBytes) {
        ::operator delete(block);
        return;
    }
    if (bytes <= kBlockBytes)
        Blocks<kBlockBytes>::Give(block);
    else
        Blocks<kLargeBlockBytes>::Give(block);
}

}  // namespace member_blocks

namespace {
constexpr size_t kMaxTextLength = 240;
// Members a tail walk looks at before it hands over to the tree's own search.
constexpr int kTailSteps = 6;
}  // namespace

// The links and tables ("~b", "~p", "~v", ...) sort behind every plain name,
// so in a module of thousands of functions they sit a few steps from the end:
// a short walk back finds their place without a dozen text compares down the
// tree. Any other name, or a tail longer than the walk, takes the tree search.
MemberMap::iterator t_Named::LowerBound(std::string_view key) {
    if (!key.empty() && key[0] == '~') {
        auto it = members_.end();
        for (int step = 0; step < kTailSteps && it != members_.begin(); ++step) {
            auto before = std::prev(it);
            if (members_.key_comp()(before->first, key)) return it;
            it = before;
        }
        if (it == members_.begin()) return it;
    }
    return members_.lower_bound(key);
}

Var* t_Named::FindMember(const char* name) {
    if (!name) return nullptr;
    const std::string_view key(name);
    auto it = LowerBound(key);
    return it == members_.end() || it->first != key ? nullptr : &it->second;
}

// One walk down the map finds the member or the place for a new one: a
// module takes thousands of functions this way.
Var* t_Named::GetOrAddMember(const char* name) {
    if (!name) return nullptr;
    const std::string_view key(name);
    auto it = LowerBound(key);
    if (it == members_.end() || it->first != key) {
        it = members_.emplace_hint(it, std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple());
        MembersChanged();
    }
    return &it->second;
}

Var* t_Named::AddMember(const char* name, const char* typeText) {
    if (!name) return nullptr;
    const std::string_view key(name);
    auto it = LowerBound(key);
    if (it == members_.end() || it->first != key) {
        Var& member =
            members_.emplace_hint(it, std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple())
                ->second;
        MembersChanged();
        if (typeText) member.InitType(typeText);
        return &member;
    }
    Var& member = it->second;
    if (typeText) {
        Var declared;
        declared.InitType(typeText);
        if (std::strcmp(declared.GetTypeName(), member.GetTypeName()) != 0) {
            member.Clear();
            member.Assign(declared);
        }
    }
    return &member;
}

bool t_Named::RemoveMember(const char* name) {
    if (!name) return false;
    const std::string_view key(name);
    auto it = LowerBound(key);
    if (it == members_.end() || it->first != key) return false;
    members_.erase(it);
    MembersChanged();
    return true;
}

void t_Named::CopyMembers(const t_Named& other) {
    if (&other == this) return;
    members_.clear();
    MembersChanged();
    AddMembers(other);
}

void t_Named::AddMembers(const t_Named& other) {
    if (&other == this) return;
    // Existing members may take other objects (code, names, links).
    MembersChanged();
    for (const auto& [name, value] : other.members_) {
        auto it = members_.find(name);
        if (it == members_.end()) {
            members_.emplace(name, value);
            MembersChanged();
        } else {
            it->second.Assign(value);
        }
    }
}

std::string t_Named::ToString() const {
    PrintPath path(this);
    std::string text = "(";
    bool first = true;
    for (const auto& [name, value] : members_) {
        std::string valueText = value.ToString();
        size_t separator = first ? 0 : 1;
        if (text.size() + separator + name.size() + 2 + valueText.size() > kMaxTextLength) {
            text += ",...";
            break;
        }
        if (!first) text += ",";
        text += name;
        text += "::";
        text += valueText;
        first = false;
    }
    text += ")";
    return text;
}

t_Named* ToNamed(const Var& value) {
    VarExtension* object = value.GetObject();
    return object && object->IsKindOf(t_Named::kClassRecord) ? static_cast<t_Named*>(object) : nullptr;
}

}  // namespace Vrel
