// The directory as a tree of nodes: node 0 is the root storage; every storage lists its
// children in name order (CfbNames' CompareNames), and no two children of a storage have
// names that compare equal.
//
// Reading walks a storage's red-black sibling tree from the file without recursion, each
// entry at most once, so loops and shared entries end in a clean failure. Writing lays the
// nodes out again as entries: entry i is node i, and each storage's children form a balanced
// red-black tree (all black but for the deepest level when it is not full).
// Plain values and pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commonobjects/platform/internal/CfbDirectoryEntry.h"

namespace commonobjects::platform::cfb {

// Leaves the bytes of a resize uninitialized, so that content about to be written whole is
// not zeroed first; whoever grows a StreamBytes stores every byte it adds.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  using std::allocator<T>::allocator;
  template <class U>
  void construct(U* at) noexcept {
    ::new (static_cast<void*>(at)) U;
  }
  template <class U, class... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
};
using StreamBytes = std::vector<uint8_t, UninitializedAllocator<uint8_t>>;

struct CfbNode {
  CfbDirectoryEntry entry;  // everything but the tree links, which LayOutTree sets
  uint32_t parent = kNoEntry;
  std::vector<uint32_t> children;  // node numbers, in name order

  // Working state of a stream that was created or opened for writing since the last commit:
  // its whole content, waiting to be written into free sectors by the commit. A large stream
  // written whole in place has none: its content went to free sectors at once, and its entry
  // and the working FAT locate it (CfbContainer::WriteThrough).
  std::unique_ptr<StreamBytes> pending;
  int openCount = 0;  // open CompoundStream objects on this node (streams are exclusive)

  bool IsStorage() const { return entry.type == kStorageEntry || entry.type == kRootEntry; }
};

// Builds the nodes from the decoded entries (entry 0 the root). On failure returns false
// with *problem naming the fault: a link out of range, an entry reached twice, an unused or
// second root entry in a tree, a bad name, or two children whose names compare equal.
bool ReadTree(const std::vector<CfbDirectoryEntry>& entries, std::vector<CfbNode>* nodes, std::string* problem);

// The directory entries for the nodes, padded with unused entries to a multiple of
// entriesPerSector.
std::vector<CfbDirectoryEntry> LayOutTree(const std::vector<CfbNode>& nodes, size_t entriesPerSector);

// The child of `storage` whose name compares equal to `name` (case is ignored), or kNoEntry.
uint32_t FindChild(const std::vector<CfbNode>& nodes, uint32_t storage, std::u16string_view name);
// Adds node `child` to the children of `storage` at its place in name order.
void InsertChild(std::vector<CfbNode>* nodes, uint32_t storage, uint32_t child);

}  // namespace commonobjects::platform::cfb
