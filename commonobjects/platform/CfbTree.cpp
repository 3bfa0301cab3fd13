#include "commonobjects/platform/internal/CfbTree.h"

#include <algorithm>

#include "commonobjects/platform/internal/CfbNames.h"

namespace commonobjects::platform::cfb {
namespace {

std::string EntryName(size_t id) { return "directory entry " + std::to_string(id); }

bool NameLess(const std::vector<CfbNode>& nodes, uint32_t a, uint32_t b) {
  return CompareNames(nodes[a].entry.name, nodes[b].entry.name) < 0;
}

// Collects the children of storage node `storage` from its sibling tree in the file.
bool ReadChildren(const std::vector<CfbDirectoryEntry>& entries, uint32_t storage, std::vector<bool>* visited,
                  std::vector<CfbNode>* nodes, std::string* problem) {
  std::vector<std::pair<uint32_t, uint32_t>> stack;  // (entry id, the entry that links to it)
  const uint32_t first = (*nodes)[storage].entry.child;
  if (first != kNoEntry) stack.emplace_back(first, storage);
  while (!stack.empty()) {
    const auto [id, from] = stack.back();
    stack.pop_back();
    if (id >= entries.size()) {
      *problem = EntryName(from) + " links to entry " + std::to_string(id) + ", past the last entry";
      return false;
    }
    if ((*visited)[id]) {
      *problem = EntryName(id) + " is reached twice in the directory tree (a loop or a shared entry)";
      return false;
    }
    (*visited)[id] = true;
    const CfbDirectoryEntry& entry = entries[id];
    if (entry.type != kStorageEntry && entry.type != kStreamEntry) {
      *problem = EntryName(id) + " in a storage's tree is neither a stream nor a storage (type " +
                 std::to_string(entry.type) + ")";
      return false;
    }
    if (!entry.nameValid) {
      *problem = EntryName(id) + " has an impossible name length";
      return false;
    }
    CfbNode node;
    node.entry = entry;
    node.parent = storage;
    nodes->push_back(std::move(node));
    (*nodes)[storage].children.push_back(static_cast<uint32_t>(nodes->size() - 1));
    if (entry.left != kNoEntry) stack.emplace_back(entry.left, id);
    if (entry.right != kNoEntry) stack.emplace_back(entry.right, id);
  }
  return true;
}

bool SortChildren(std::vector<CfbNode>* nodes, uint32_t storage, std::string* problem) {
  std::vector<uint32_t>& children = (*nodes)[storage].children;
  std::stable_sort(children.begin(), children.end(),
                   [nodes](uint32_t a, uint32_t b) { return NameLess(*nodes, a, b); });
  for (size_t i = 1; i < children.size(); ++i) {
    if (!NameLess(*nodes, children[i - 1], children[i])) {
      *problem = "two entries of one storage are both named \"" + NameToAnsi((*nodes)[children[i]].entry.name) + "\"";
      return false;
    }
  }
  return true;
}

// Lays children[lo, hi) out as a balanced subtree whose root sits at `depth`; nodes at
// redDepth are red. Returns the subtree's root entry. Depth stays below 32.
uint32_t LayOutSubtree(const std::vector<uint32_t>& children, size_t lo, size_t hi, int depth, int redDepth,
                       std::vector<CfbDirectoryEntry>* entries) {
  if (lo == hi) return kNoEntry;
  const size_t mid = lo + (hi - lo) / 2;
  CfbDirectoryEntry& entry = (*entries)[children[mid]];
  entry.colour = depth == redDepth ? kRed : kBlack;
  const uint32_t left = LayOutSubtree(children, lo, mid, depth + 1, redDepth, entries);
  const uint32_t right = LayOutSubtree(children, mid + 1, hi, depth + 1, redDepth, entries);
  (*entries)[children[mid]].left = left;
  (*entries)[children[mid]].right = right;
  return children[mid];
}

// Halving splits put every empty link at depth floor(log2(n + 1)) or one more, so colouring
// the nodes of the deepest level red (when that level is not full) gives every path the same
// number of black nodes and never two reds in a row.
int RedDepth(size_t count) {
  int floorLog = 0;
  while ((size_t{2} << floorLog) <= count + 1) ++floorLog;
  const bool full = ((count + 1) & count) == 0;
  return full ? -1 : floorLog;
}

}  // namespace

bool ReadTree(const std::vector<CfbDirectoryEntry>& entries, std::vector<CfbNode>* nodes, std::string* problem) {
  nodes->clear();
  if (entries.empty() || entries[0].type != kRootEntry) {
    *problem = "the first directory entry is not the root storage";
    return false;
  }
  std::vector<bool> visited(entries.size(), false);
  visited[0] = true;
  CfbNode root;
  root.entry = entries[0];
  nodes->push_back(std::move(root));
  // Storages are taken in the order found; each one's children are appended behind.
  for (uint32_t storage = 0; storage < nodes->size(); ++storage) {
    if (!(*nodes)[storage].IsStorage()) continue;
    if (!ReadChildren(entries, storage, &visited, nodes, problem)) return false;
    if (!SortChildren(nodes, storage, problem)) return false;
  }
  return true;
}

std::vector<CfbDirectoryEntry> LayOutTree(const std::vector<CfbNode>& nodes, size_t entriesPerSector) {
  std::vector<CfbDirectoryEntry> entries;
  entries.reserve(nodes.size() + entriesPerSector);
  for (const CfbNode& node : nodes) {
    CfbDirectoryEntry entry = node.entry;
    entry.left = entry.right = entry.child = kNoEntry;
    entry.colour = kBlack;
    entries.push_back(std::move(entry));
  }
  for (size_t i = 0; i < nodes.size(); ++i) {
    const std::vector<uint32_t>& children = nodes[i].children;
    if (!nodes[i].IsStorage() || children.empty()) continue;
    entries[i].child = LayOutSubtree(children, 0, children.size(), 0, RedDepth(children.size()), &entries);
  }
  while (entries.size() % entriesPerSector != 0) entries.emplace_back();
  return entries;
}

uint32_t FindChild(const std::vector<CfbNode>& nodes, uint32_t storage, std::u16string_view name) {
  const std::vector<uint32_t>& children = nodes[storage].children;
  const auto at = std::lower_bound(children.begin(), children.end(), name, [&nodes](uint32_t child, std::u16string_view n) {
    return CompareNames(nodes[child].entry.name, n) < 0;
  });
  if (at == children.end() || CompareNames(nodes[*at].entry.name, name) != 0) return kNoEntry;
  return *at;
}

void InsertChild(std::vector<CfbNode>* nodes, uint32_t storage, uint32_t child) {
  std::vector<uint32_t>& children = (*nodes)[storage].children;
  const auto at = std::lower_bound(children.begin(), children.end(), child,
                                   [nodes](uint32_t a, uint32_t b) { return NameLess(*nodes, a, b); });
  children.insert(at, child);
}

}  // namespace commonobjects::platform::cfb
