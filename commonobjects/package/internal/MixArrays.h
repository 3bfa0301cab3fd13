// A mix member from its stored bytes: the elements as they lie in memory here
// (little-endian), and the progress a structured load posts while it copies them. Private
// to package/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "commonobjects/eventstore/GrowableArray.h"
#include "commonobjects/package/RecordArray.h"

namespace commonobjects::package {

// The progress of copying `count` elements: before element i (counting from 0), notification
// 15 with i * 100 / count whenever count / 30 is at least 1 and i is a multiple of it.
void PostCopyProgress(size_t count);

// The elements of bytes[0, count * sizeof(T)) become the array's contents (a partial element
// at the end is ignored). The caller keeps count within the array's 32-bit size.
template <typename T>
void AssignElements(const std::vector<uint8_t>& bytes, CGrowableArray<T>& array) {
  const size_t count = bytes.size() / sizeof(T);
  array.SetSize(static_cast<int32_t>(count));
  if (count > 0) std::memcpy(array.GetData(), bytes.data(), count * sizeof(T));
}

}  // namespace commonobjects::package
