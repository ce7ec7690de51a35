#include "language/node_arena.h"

#include <cstdint>

namespace morvel {

namespace {

// Blocks below the allocator's mapping threshold come from the heap, where the nodes
// of compile pass 1 were freed just before.
constexpr std::size_t kBlockSize = 64 * 1024;

}  // namespace

void* NodeArena::allocate(std::size_t size, std::size_t align) {
    auto misalign = [&] { return reinterpret_cast<std::uintptr_t>(next_) % align; };
    std::size_t pad = next_ && misalign() ? align - misalign() : 0;
    if (!next_ || left_ < size + pad) {
        // A node larger than a quarter block gets a block of its own, so that the
        // current block's rest is not given up for it.
        if (size > kBlockSize / 4) {
            blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
            reserved_ += size;
            return blocks_.back().get();
        }
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(kBlockSize));
        reserved_ += kBlockSize;
        next_ = blocks_.back().get();
        left_ = kBlockSize;
        pad = 0;
    }
    std::byte* at = next_ + pad;
    next_ = at + size;
    left_ -= size + pad;
    return at;
}

}  // namespace morvel
