#include "commonobjects/platform/RegistryTree.h"

#include <algorithm>

namespace commonobjects::platform {
namespace {

unsigned Upper(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? u - 'a' + 'A' : u;
}

// Rank of a character in a key path: the separator first, then as CaseInsensitiveLess.
unsigned PathRank(char c) { return c == '\\' ? 0 : Upper(c) + 1; }

// Whether path names `ancestor` or one of its subkeys.
bool IsAtOrBelow(std::string_view path, std::string_view ancestor) {
  return path.size() >= ancestor.size() &&
         EqualsIgnoringCase(path.substr(0, ancestor.size()), ancestor) &&
         (path.size() == ancestor.size() || path[ancestor.size()] == '\\');
}

}  // namespace

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Upper(x) < Upper(y); });
}

bool KeyPathLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return PathRank(x) < PathRank(y); });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

std::string RegistryTree::FullPath(HKEY root, std::string_view key) {
  std::string path(RootName(root));
  bool pendingSeparator = true;
  for (char c : key) {
    if (c == '\\') {
      pendingSeparator = true;
      continue;
    }
    if (pendingSeparator) path += '\\';
    pendingSeparator = false;
    path += c;
  }
  return path;
}

RegistryTree::KeyMap::const_iterator RegistryTree::FirstAtOrBelow(std::string_view fullPath) const {
  // '\' sorts before every other character, so a key's subkeys directly follow it.
  auto it = keys_.lower_bound(fullPath);
  if (it != keys_.end() && IsAtOrBelow(it->first, fullPath)) return it;
  return keys_.end();
}

std::string RegistryTree::SpelledAsExisting(std::string fullPath) const {
  const std::size_t rootLength = fullPath.find('\\');
  if (rootLength == std::string::npos) return fullPath;
  for (std::size_t length = fullPath.size(); length > rootLength; length = fullPath.rfind('\\', length - 1)) {
    auto existing = FirstAtOrBelow(std::string_view(fullPath).substr(0, length));
    if (existing != keys_.end()) {
      fullPath.replace(0, length, existing->first, 0, length);
      break;
    }
  }
  return fullPath;
}

bool RegistryTree::KeyExists(HKEY root, std::string_view key) const {
  if (RootName(root).empty()) return false;
  const std::string path = FullPath(root, key);
  return path == RootName(root) || FirstAtOrBelow(path) != keys_.end();
}

const RegistryValue* RegistryTree::FindValue(HKEY root, std::string_view key,
                                             std::string_view name) const {
  auto k = keys_.find(FullPath(root, key));
  if (k == keys_.end()) return nullptr;
  auto v = k->second.values.find(name);
  return v == k->second.values.end() ? nullptr : &v->second;
}

RegistryTree::Key& RegistryTree::CreateKey(HKEY root, std::string_view key) {
  std::string path = FullPath(root, key);
  auto it = keys_.find(path);
  if (it != keys_.end()) return it->second;
  path = SpelledAsExisting(std::move(path));
  it = keys_.try_emplace(path).first;
  it->second.path = std::move(path);
  return it->second;
}

RegistryTree::Key* RegistryTree::CreateKeyByPath(std::string_view fullPath) {
  const auto slash = fullPath.find('\\');
  const auto root = RootFromName(fullPath.substr(0, slash));
  if (!root) return nullptr;
  return &CreateKey(*root, slash == std::string_view::npos ? std::string_view() : fullPath.substr(slash + 1));
}

void RegistryTree::SetValue(HKEY root, std::string_view key, std::string_view name, RegistryValue value) {
  auto& values = CreateKey(root, key).values;
  auto it = values.find(name);
  if (it == values.end()) {
    values.emplace(std::string(name), std::move(value));
  } else {
    it->second = std::move(value);
  }
}

bool RegistryTree::DeleteKey(HKEY root, std::string_view key) {
  if (RootName(root).empty()) return false;
  const std::string path = FullPath(root, key);
  auto first = FirstAtOrBelow(path);
  if (first == keys_.end()) return false;
  auto last = first;
  while (last != keys_.end() && IsAtOrBelow(last->first, path)) ++last;
  keys_.erase(first, last);
  // The parent outlives its subkey, even when it existed only because of it.
  const std::size_t parentLength = path.rfind('\\');
  if (parentLength != std::string::npos && parentLength > RootName(root).size()) {
    const std::string_view parent = std::string_view(path).substr(0, parentLength);
    if (FirstAtOrBelow(parent) == keys_.end()) CreateKeyByPath(parent);
  }
  return true;
}

bool RegistryTree::DeleteValue(HKEY root, std::string_view key, std::string_view name) {
  auto k = keys_.find(FullPath(root, key));
  if (k == keys_.end()) return false;
  auto v = k->second.values.find(name);
  if (v == k->second.values.end()) return false;
  k->second.values.erase(v);
  return true;
}

std::vector<const RegistryTree::Key*> RegistryTree::Keys() const {
  std::vector<const Key*> out;
  out.reserve(keys_.size());
  for (const auto& [path, key] : keys_) out.push_back(&key);
  return out;
}

std::size_t RegistryTree::ValueCount() const {
  std::size_t count = 0;
  for (const auto& [path, key] : keys_) count += key.values.size();
  return count;
}

bool RegistryTree::operator==(const RegistryTree& other) const {
  if (keys_.size() != other.keys_.size()) return false;
  for (auto a = keys_.begin(), b = other.keys_.begin(); a != keys_.end(); ++a, ++b) {
    if (!EqualsIgnoringCase(a->first, b->first)) return false;
    if (a->second.values.size() != b->second.values.size()) return false;
    for (auto va = a->second.values.begin(), vb = b->second.values.begin();
         va != a->second.values.end(); ++va, ++vb) {
      if (!EqualsIgnoringCase(va->first, vb->first) || !(va->second == vb->second)) return false;
    }
  }
  return true;
}

}  // namespace commonobjects::platform
