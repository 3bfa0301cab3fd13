#include "commonobjects/platform/RegistryTree.h"

#include <algorithm>

namespace commonobjects::platform {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Lower(x)) < static_cast<unsigned char>(Lower(y));
  });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
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

bool RegistryTree::KeyExists(HKEY root, std::string_view key) const {
  if (RootName(root).empty()) return false;
  const std::string path = FullPath(root, key);
  if (path == RootName(root)) return true;  // a root always exists
  if (keys_.count(path) != 0) return true;
  // A parent of a stored key exists too.
  const std::string prefix = path + '\\';
  auto it = keys_.lower_bound(prefix);
  return it != keys_.end() && it->first.size() > prefix.size() &&
         EqualsIgnoringCase(std::string_view(it->first).substr(0, prefix.size()), prefix);
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
  auto [it, inserted] = keys_.try_emplace(path);
  if (inserted) it->second.path = std::move(path);
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

std::vector<const RegistryTree::Key*> RegistryTree::Keys() const {
  std::vector<const Key*> out;
  out.reserve(keys_.size());
  for (const auto& [path, key] : keys_) out.push_back(&key);
  return out;
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
