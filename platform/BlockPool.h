#pragma once
// Blocks of one size for objects made and dropped by the hundred thousand
// (syntax nodes, member map entries). Each thread keeps its own list of
// given-back blocks and its own piece of a chunk, so that taking or giving
// a block takes no lock; a block taken on one thread may be given back on
// another, and then serves that thread. A thread that ends hands its list
// and its piece on for the next thread that runs out. The chunks stay for
// the process: the memory kept is the most blocks alive at once. The first
// chunk is small, for the many short runs; later ones are one large page
// each where the system offers them, so that a long run costs a few page
// faults instead of thousands.

#include "platform/os/LargeChunk.h"

#include <atomic>
#include <cstddef>
#include <new>
#include <vector>

namespace halvo {

// Address checking builds give every object its own allocation, so that a
// use after release is still caught.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kPoolBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kPoolBlocks = false;
#else
inline constexpr bool kPoolBlocks = true;
#endif
#else
inline constexpr bool kPoolBlocks = true;
#endif

template <std::size_t kBlockBytes, std::size_t kFirstChunkBlocks>
class BlockPool {
public:
    static_assert(kBlockBytes >= sizeof(void*), "a block holds the link of the spare list");

    static void* Take() {
        LocalBlocks& local = tLocal;
        if (Spare* block = local.spare) {
            local.spare = block->next;
            return block;
        }
        if (local.unused == 0) return TakeAfterRefill(local);
        return TakeFresh(local);
    }
    static void Give(void* block) {
        LocalBlocks& local = tLocal;
        local.spare = new (block) Spare{local.spare};
    }

private:
    static constexpr std::size_t kLargeChunkBytes = std::size_t{2} << 20;
    static_assert(kLargeChunkBytes >= kBlockBytes, "a large chunk holds a block");

    struct Spare {
        Spare* next;
    };
    // Trivially destructible, so that objects released by static objects
    // after the thread's other locals went still find it.
    struct LocalBlocks {
        Spare* spare = nullptr;
        unsigned char* fresh = nullptr;
        std::size_t unused = 0;
    };
    struct Piece {
        unsigned char* fresh;
        std::size_t unused;
    };
    // Hands the thread's blocks to the shared lists when the thread ends.
    struct HandBack {
        ~HandBack() { Global().TakeBack(tLocal); }
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

    // Never destroyed: objects held by other static objects may go after
    // it would have.
    static BlockPool& Global() {
        static BlockPool* pool = new BlockPool;
        return *pool;
    }

    static void* TakeFresh(LocalBlocks& local) {
        --local.unused;
        void* block = local.fresh;
        local.fresh += kBlockBytes;
        return block;
    }

    // Apart from Take, so that the path taken for nearly every block saves
    // no registers for the rare refill.
    [[gnu::noinline]] static void* TakeAfterRefill(LocalBlocks& local) {
        Global().Refill(local);
        if (Spare* block = local.spare) {
            local.spare = block->next;
            return block;
        }
        return TakeFresh(local);
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
        local.fresh = first ? static_cast<unsigned char*>(::operator new(kFirstChunkBlocks * kBlockBytes))
                            : static_cast<unsigned char*>(os::AllocateLargeChunk(kLargeChunkBytes));
        local.unused = first ? kFirstChunkBlocks : kLargeChunkBytes / kBlockBytes;
    }

    // Whole lists and pieces, so that no block is touched on the way out.
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

template <std::size_t kBlockBytes, std::size_t kFirstChunkBlocks>
constinit thread_local typename BlockPool<kBlockBytes, kFirstChunkBlocks>::LocalBlocks
    BlockPool<kBlockBytes, kFirstChunkBlocks>::tLocal;

}  // namespace halvo
