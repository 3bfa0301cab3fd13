// Bounds-checked little-endian reading and writing of the binary edit list and change list
// forms: integers, bytes and strings (a 32-bit length, then that many bytes). A read past
// the end fails and leaves the cursor where it was; a string longer than the bytes left is
// refused before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "commonobjects/platform/ByteOrder.h"

namespace commonobjects::conform {

class ByteCursor {
 public:
  explicit ByteCursor(std::string_view bytes, size_t position = 0) : Bytes(bytes), Position(position) {}

  size_t GetPosition() const { return Position; }
  size_t Remaining() const { return Position < Bytes.size() ? Bytes.size() - Position : 0; }

  bool Get32(int32_t& value) {
    if (Remaining() < 4) return false;
    value = static_cast<int32_t>(platform::Load32(Data()));
    Position += 4;
    return true;
  }
  bool Get32(uint32_t& value) {
    int32_t v = 0;
    if (!Get32(v)) return false;
    value = static_cast<uint32_t>(v);
    return true;
  }
  bool GetByte(uint8_t& value) {
    if (Remaining() < 1) return false;
    value = *Data();
    ++Position;
    return true;
  }
  bool GetBytes(void* to, size_t count) {
    if (Remaining() < count) return false;
    std::memcpy(to, Data(), count);
    Position += count;
    return true;
  }
  bool GetString(std::string& value) {
    const size_t start = Position;
    int32_t length = 0;
    if (!Get32(length) || length < 0 || static_cast<size_t>(length) > Remaining()) {
      Position = start;
      return false;
    }
    value.assign(Bytes.substr(Position, static_cast<size_t>(length)));
    Position += static_cast<size_t>(length);
    return true;
  }

 private:
  const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(Bytes.data()) + Position; }

  std::string_view Bytes;
  size_t Position;
};

// Appends to a byte string in the same forms.
class ByteWriter {
 public:
  explicit ByteWriter(std::string& out) : Out(out) {}
  void Put32(int32_t value) {
    uint8_t bytes[4];
    platform::Store32(bytes, static_cast<uint32_t>(value));
    Out.append(reinterpret_cast<const char*>(bytes), 4);
  }
  void PutByte(uint8_t value) { Out.push_back(static_cast<char>(value)); }
  void PutBytes(std::string_view bytes) { Out.append(bytes); }
  void PutString(std::string_view text) {
    Put32(static_cast<int32_t>(text.size()));
    Out.append(text);
  }

 private:
  std::string& Out;
};

}  // namespace commonobjects::conform
