// CGrowableArray<T>: the one growable array of the system (events, path lists, pair lists).
//
// Invariants: 0 <= size <= capacity; elements [0, size) are valid; elements that become
// valid by growing are zero (value-initialised). Growing to N elements beyond the capacity
// sets the capacity to max(N, capacity + G), G being the grow-by when non-zero, else
// size / 8 clamped to [4, 1024]. Shrinking keeps the buffer; a size of 0 frees it and sets
// the capacity to 0.
// The buffer beneath the capacity may be reserved further ahead (half as much again) so
// that a long run of appends copies each element a bounded number of times instead of once
// per 1024 appended; the capacity reported and its growth follow the rule above exactly.
// Element access by index is unchecked: callers keep indices within [0, size).
// An allocation failure throws std::bad_alloc and leaves the array as it was.
// A value passed by reference may be an element of the same array (Add(a[0]) is safe).
// The array owns its buffer; copies are deep. Not thread-safe.
// Plain elements (trivially copyable) move as bytes (memmove, realloc). Other elements (items
// that own strings or records) are constructed, copied, moved and destroyed as objects:
// exactly the elements [0, size) are alive; their move must not throw.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

template <typename T>
class CGrowableArray {
  static constexpr bool kPlain = std::is_trivially_copyable_v<T>;
  static_assert(kPlain || std::is_nothrow_move_constructible_v<T>, "growing moves elements");
  static_assert(alignof(T) <= alignof(std::max_align_t), "the buffer is plain malloc'd bytes");

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
  virtual ~CGrowableArray() { Destroy(0, size_); }

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
  // The elements [0, size), contiguous; null while no buffer is held. Growing may move them.
  T* GetData() { return data_; }
  const T* GetData() const { return data_; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

  // Sets the size to n (new elements zero); n <= 0 frees the buffer. growBy >= 0 becomes
  // the grow-by (0: automatic) before growing; -1 keeps the current one.
  void SetSize(int32_t n, int32_t growBy = -1) {
    const int32_t newGrowBy = growBy >= 0 ? growBy : growBy_;
    if (n <= 0) {
      Destroy(0, size_);
      storage_.reset();
      data_ = nullptr;
      size_ = capacity_ = allocated_ = 0;
      growBy_ = newGrowBy;
      return;
    }
    if (n > capacity_) Grow(GrownCapacity(n, newGrowBy));
    growBy_ = newGrowBy;
    if (n > size_) {
      if constexpr (kPlain) {
        std::fill(data_ + size_, data_ + n, T{});
      } else {
        std::uninitialized_value_construct(data_ + size_, data_ + n);
      }
    } else {
      Destroy(n, size_);
    }
    size_ = n;
  }

  // Writes element i, growing the array to i + 1 elements when i is past the end.
  void SetAtGrow(int32_t i, const T& value) {
    if (i >= size_) {
      T copy = value;  // value may live in the buffer that growing replaces
      SetSize(i + 1);
      data_[i] = std::move(copy);
    } else {
      data_[i] = value;
    }
  }

  // Appends and returns the new element's index.
  int32_t Add(const T& value) {
    const int32_t i = size_;
    if (i < capacity_) {  // the common case: room left, nothing to zero first
      if constexpr (kPlain) {
        data_[i] = value;
      } else {
        ::new (static_cast<void*>(data_ + i)) T(value);
      }
      size_ = i + 1;
    } else {
      SetAtGrow(i, value);
    }
    return i;
  }

  // Appends by moving value in (an element that owns memory keeps it); returns the index.
  int32_t Add(T&& value) {
    const int32_t i = size_;
    if (i < capacity_) {
      if constexpr (kPlain) {
        data_[i] = value;
      } else {
        ::new (static_cast<void*>(data_ + i)) T(std::move(value));
      }
      size_ = i + 1;
    } else {
      T moved = std::move(value);  // value may live in the buffer that growing replaces
      SetSize(i + 1);
      data_[i] = std::move(moved);
    }
    return i;
  }

  // Inserts count copies of value before index i (i may be the size, or beyond it:
  // the gap is zero-filled as by SetSize). Elements [i, size) move up by count.
  void InsertAt(int32_t i, const T& value, int32_t count = 1) {
    if (count <= 0) return;
    const T copy = value;  // value may be an element that moves or is reallocated
    if (i >= size_) {
      SetSize(i + count);
    } else {
      const int32_t oldSize = size_;
      SetSize(size_ + count);
      if constexpr (kPlain) {
        std::memmove(static_cast<void*>(data_ + i + count), data_ + i,
                     sizeof(T) * static_cast<size_t>(oldSize - i));
      } else {
        std::move_backward(data_ + i, data_ + oldSize, data_ + oldSize + count);
      }
    }
    std::fill(data_ + i, data_ + i + count, copy);
  }

  // Removes the elements [i, i + count); later ones move down. The buffer is kept.
  void RemoveAt(int32_t i, int32_t count = 1) {
    if (count <= 0) return;
    const int32_t tail = size_ - (i + count);
    if (tail > 0) {
      if constexpr (kPlain) {
        std::memmove(static_cast<void*>(data_ + i), data_ + i + count,
                     sizeof(T) * static_cast<size_t>(tail));
      } else {
        std::move(data_ + i + count, data_ + size_, data_ + i);
      }
    }
    Destroy(size_ - count, size_);
    size_ -= count;
  }

  void RemoveAll() { SetSize(0); }

  // Makes room beneath the capacity for n elements, so that growing to n moves nothing;
  // the capacity and its growth are unchanged. A caller that knows a bound on what it will
  // add calls it first: pages of the room that are never used are never touched.
  void Reserve(int32_t n) {
    if (n > allocated_) Reallocate(n);
  }

  // Appends every element of other; returns the index of the first one appended.
  int32_t Append(const CGrowableArray& other) {
    const int32_t first = size_;
    const int32_t count = other.size_;
    if (count > 0) {
      SetSize(size_ + count);  // other may be *this: its count was taken before growing
      CopyElements(other.data_, count, data_ + first);
    }
    return first;
  }

 private:
  // The capacity the rule gives for n elements: max(n, capacity + G).
  int32_t GrownCapacity(int32_t n, int32_t growBy) const {
    const int32_t grow = growBy != 0 ? growBy : std::clamp(size_ / 8, 4, 1024);
    const int64_t wanted = static_cast<int64_t>(capacity_) + grow;
    return static_cast<int32_t>(std::max<int64_t>(n, std::min<int64_t>(wanted, INT32_MAX)));
  }

  // Raises the capacity; the buffer is replaced only when the reserve beneath it is used up.
  void Grow(int32_t capacity) {
    if (capacity > allocated_) {
      const int64_t ahead = static_cast<int64_t>(allocated_) + allocated_ / 2;
      const auto reserve = static_cast<int32_t>(std::clamp<int64_t>(ahead, capacity, INT32_MAX));
      try {
        Reallocate(reserve);
      } catch (const std::bad_alloc&) {
        if (reserve == capacity) throw;
        Reallocate(capacity);  // no room for the reserve: exactly what the rule asks
      }
    }
    capacity_ = capacity;
  }

  // Resizes the buffer in place where the allocator can (a large buffer then keeps its
  // pages instead of being copied). Elements past the size stay uninitialised until they
  // become valid, when they are zeroed. On failure the old buffer stays.
  void Reallocate(int32_t elements) {
    if constexpr (!kPlain) {
      RelocateObjects(elements);
    } else {
      void* fresh = std::realloc(storage_.get(), sizeof(T) * static_cast<size_t>(elements));
      if (fresh == nullptr) throw std::bad_alloc();
      static_cast<void>(storage_.release());  // realloc has taken it over
      storage_.reset(static_cast<std::byte*>(fresh));
      data_ = static_cast<T*>(fresh);
      allocated_ = elements;
    }
  }

  // Objects cannot move under realloc: they are moved into a fresh buffer one by one.
  void RelocateObjects(int32_t elements) {
    std::unique_ptr<std::byte, FreeBuffer> fresh(
        static_cast<std::byte*>(std::malloc(sizeof(T) * static_cast<size_t>(elements))));
    if (fresh == nullptr) throw std::bad_alloc();
    T* moved = reinterpret_cast<T*>(fresh.get());
    std::uninitialized_move(data_, data_ + size_, moved);
    std::destroy(data_, data_ + size_);
    storage_ = std::move(fresh);
    data_ = moved;
    allocated_ = elements;
  }

  // Ends the lives of the elements [first, last); plain elements have none to end.
  void Destroy(int32_t first, int32_t last) {
    if constexpr (!kPlain) {
      if (first < last) std::destroy(data_ + first, data_ + last);
    }
  }

  // Assigns count elements over live (or, for plain elements, zeroed) ones.
  static void CopyElements(const T* from, int32_t count, T* to) {
    if constexpr (kPlain) {
      std::memcpy(static_cast<void*>(to), from, sizeof(T) * static_cast<size_t>(count));
    } else {
      std::copy(from, from + count, to);
    }
  }

  // Builds the copy apart and swaps it in, so a failed allocation leaves *this as it was.
  void CopyFrom(const CGrowableArray& other) {
    CGrowableArray copy;
    copy.growBy_ = other.growBy_;
    if (other.size_ > 0) {
      copy.SetSize(other.size_);
      CopyElements(other.data_, other.size_, copy.data_);
    }
    Swap(copy);
  }

  void Swap(CGrowableArray& other) noexcept {
    std::swap(storage_, other.storage_);
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    std::swap(allocated_, other.allocated_);
    std::swap(growBy_, other.growBy_);
  }

  struct FreeBuffer {
    void operator()(std::byte* buffer) const { std::free(buffer); }
  };
  std::unique_ptr<std::byte, FreeBuffer> storage_;  // owns the buffer (malloc'd, for realloc)
  T* data_ = nullptr;                               // the buffer's elements
  int32_t size_ = 0;
  int32_t capacity_ = 0;   // as the growth rule sets it
  int32_t allocated_ = 0;  // elements the buffer holds, at least the capacity
  int32_t growBy_ = 0;
};

using CIntArray = CGrowableArray<int32_t>;
using CWordArray = CGrowableArray<uint16_t>;
