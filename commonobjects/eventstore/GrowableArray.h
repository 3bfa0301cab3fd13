// CGrowableArray<T>: the one growable array of the system (events, path lists, pair lists).
//
// Invariants: 0 <= size <= capacity; elements [0, size) are valid; elements that become
// valid by growing are zero (value-initialised). Growing to N elements beyond the capacity
// allocates max(N, capacity + G), G being the grow-by when non-zero, else size / 8 clamped
// to [4, 1024]. Shrinking keeps the buffer; a size of 0 frees it.
// Element access by index is unchecked: callers keep indices within [0, size).
// An allocation failure throws std::bad_alloc and leaves the array as it was.
// Not thread-safe. Elements must be trivially copyable (they move with memmove).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

template <typename T>
class CGrowableArray {
  static_assert(std::is_trivially_copyable_v<T>, "elements move as bytes");

 public:
  CGrowableArray() = default;
  CGrowableArray(const CGrowableArray& other) { CopyFrom(other); }
  CGrowableArray& operator=(const CGrowableArray& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }
  CGrowableArray(CGrowableArray&& other) noexcept { Swap(other); }
  CGrowableArray& operator=(CGrowableArray&& other) noexcept {
    if (this != &other) {
      RemoveAll();
      Swap(other);
    }
    return *this;
  }
  virtual ~CGrowableArray() = default;

  int32_t GetSize() const { return size_; }
  int32_t GetCapacity() const { return capacity_; }
  int32_t GetGrowBy() const { return growBy_; }
  bool IsEmpty() const { return size_ == 0; }

  T GetAt(int32_t i) const { return data_[i]; }
  void SetAt(int32_t i, const T& value) { data_[i] = value; }
  T& ElementAt(int32_t i) { return data_[i]; }
  const T& ElementAt(int32_t i) const { return data_[i]; }
  T& operator[](int32_t i) { return data_[i]; }
  const T& operator[](int32_t i) const { return data_[i]; }
  T* GetData() { return data_.get(); }
  const T* GetData() const { return data_.get(); }
  T* begin() { return data_.get(); }
  T* end() { return data_.get() + size_; }
  const T* begin() const { return data_.get(); }
  const T* end() const { return data_.get() + size_; }

  // Sets the size to n (new elements zero). growBy -1 keeps the current grow-by.
  void SetSize(int32_t n, int32_t growBy = -1) {
    if (growBy >= 0) growBy_ = growBy;
    if (n <= 0) {
      data_.reset();
      size_ = capacity_ = 0;
      return;
    }
    if (n > capacity_) Reallocate(GrownCapacity(n));
    if (n > size_) std::fill(data_.get() + size_, data_.get() + n, T{});
    size_ = n;
  }

  // Writes element i, growing the array to i + 1 elements when i is past the end.
  void SetAtGrow(int32_t i, const T& value) {
    if (i >= size_) SetSize(i + 1);
    data_[i] = value;
  }

  // Appends and returns the new element's index.
  int32_t Add(const T& value) {
    const int32_t i = size_;
    SetAtGrow(i, value);
    return i;
  }

  // Inserts count copies of value before index i (i may be the size, or beyond it:
  // the gap is zero-filled as by SetSize).
  void InsertAt(int32_t i, const T& value, int32_t count = 1) {
    if (count <= 0) return;
    if (i >= size_) {
      SetSize(i + count);
    } else {
      const int32_t oldSize = size_;
      SetSize(size_ + count);
      std::memmove(static_cast<void*>(data_.get() + i + count), data_.get() + i,
                   sizeof(T) * static_cast<size_t>(oldSize - i));
    }
    std::fill(data_.get() + i, data_.get() + i + count, value);
  }

  // Removes count elements from index i on; the buffer is kept.
  void RemoveAt(int32_t i, int32_t count = 1) {
    const int32_t tail = size_ - (i + count);
    if (tail > 0) {
      std::memmove(static_cast<void*>(data_.get() + i), data_.get() + i + count,
                   sizeof(T) * static_cast<size_t>(tail));
    }
    size_ -= count;
  }

  void RemoveAll() { SetSize(0); }

  // Appends every element of other; returns the index of the first one appended.
  int32_t Append(const CGrowableArray& other) {
    const int32_t first = size_;
    if (other.size_ > 0) {
      SetSize(size_ + other.size_);
      std::memcpy(static_cast<void*>(data_.get() + first), other.data_.get(),
                  sizeof(T) * static_cast<size_t>(other.size_));
    }
    return first;
  }

 private:
  int32_t GrownCapacity(int32_t n) const {
    int32_t grow = growBy_;
    if (grow == 0) grow = std::clamp(size_ / 8, 4, 1024);
    const int64_t wanted = static_cast<int64_t>(capacity_) + grow;
    return static_cast<int32_t>(std::max<int64_t>(n, std::min<int64_t>(wanted, INT32_MAX)));
  }

  void Reallocate(int32_t capacity) {
    std::unique_ptr<T[]> fresh(new T[static_cast<size_t>(capacity)]);
    if (size_ > 0) {
      std::memcpy(static_cast<void*>(fresh.get()), data_.get(), sizeof(T) * static_cast<size_t>(size_));
    }
    data_ = std::move(fresh);
    capacity_ = capacity;
  }

  void CopyFrom(const CGrowableArray& other) {
    growBy_ = other.growBy_;
    SetSize(0);
    if (other.size_ > 0) {
      SetSize(other.size_);
      std::memcpy(static_cast<void*>(data_.get()), other.data_.get(),
                  sizeof(T) * static_cast<size_t>(other.size_));
    }
  }

  void Swap(CGrowableArray& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    std::swap(growBy_, other.growBy_);
  }

  std::unique_ptr<T[]> data_;
  int32_t size_ = 0;
  int32_t capacity_ = 0;
  int32_t growBy_ = 0;
};

using CIntArray = CGrowableArray<int32_t>;
using CWordArray = CGrowableArray<uint16_t>;
