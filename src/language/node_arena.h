#pragma once
// Memory for the nodes of the compiled program tree. Pass 2 builds hundreds of
// thousands of small statements and expressions that all live until the run ends;
// taking them from blocks instead of one heap allocation each saves the allocator's
// own bookkeeping per node. Nodes are still owned by std::unique_ptr: deleting one
// runs its destructor and gives its memory back only when it came from the heap.
#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace morvel {

/// Blocks handed out in order and released together when the arena goes. It must
/// outlive every node made in it.
class NodeArena {
  public:
    NodeArena() = default;
    NodeArena(const NodeArena&) = delete;
    NodeArena& operator=(const NodeArena&) = delete;

    /// size bytes aligned to align (at most alignof(std::max_align_t)).
    void* allocate(std::size_t size, std::size_t align);
    /// Bytes taken from the heap so far.
    std::size_t reserved() const { return reserved_; }

  private:
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t reserved_ = 0;
};

/// Base of the node types that may live in a NodeArena: it records where the node's
/// memory came from. A node copied or moved into other memory does not take it along.
class ArenaNode {
  protected:
    ArenaNode() = default;
    ArenaNode(const ArenaNode&) noexcept {}
    ArenaNode& operator=(const ArenaNode&) noexcept { return *this; }
    ~ArenaNode() = default;

    /// Destroys node and frees its memory when that came from the heap; the destroying
    /// operator delete of each node type calls this.
    template <class T>
    static void destroy(T* node) noexcept {
        const bool in_arena = node->in_arena_;
        node->~T();
        if (!in_arena) ::operator delete(static_cast<void*>(node));
    }

  private:
    bool in_arena_ = false;

    template <class T, class... Args>
    friend std::unique_ptr<T> make_node(NodeArena* arena, Args&&... args);
};

/// A new T, in the arena when one is given, on the heap otherwise.
template <class T, class... Args>
std::unique_ptr<T> make_node(NodeArena* arena, Args&&... args) {
    if (!arena) return std::unique_ptr<T>(new T(std::forward<Args>(args)...));
    T* node = ::new (arena->allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
    node->in_arena_ = true;
    return std::unique_ptr<T>(node);
}

}  // namespace morvel
