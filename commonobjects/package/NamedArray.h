// CNamedArray<T>: a growable array of a mix member (CGrowableArray<T>) that carries the
// member's name, which begins its stream name in a structured mix file. CMapArray<T> is a
// named array indexed by path (the link map, the gang map) that also carries the console
// layout that sizes it.
//
// The name is fixed at construction: assignment copies the elements only. Elements as in
// CGrowableArray (zero when they become valid, unchecked access). Not thread-safe.
#pragma once

#include <string>
#include <utility>

#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/eventstore/GrowableArray.h"

template <typename T>
class CNamedArray : public CGrowableArray<T> {
 public:
  explicit CNamedArray(std::string name) : Name(std::move(name)) {}
  CNamedArray(const CNamedArray&) = default;
  CNamedArray& operator=(const CNamedArray& other) {
    CGrowableArray<T>::operator=(other);
    return *this;
  }

  const std::string& GetName() const { return Name; }

 private:
  std::string Name;
};

template <typename T>
class CMapArray : public CNamedArray<T>, public CConsoleLayout {
 public:
  explicit CMapArray(std::string name) : CNamedArray<T>(std::move(name)) {}
  CMapArray(const CMapArray&) = default;
  CMapArray& operator=(const CMapArray& other) {
    CNamedArray<T>::operator=(other);
    return *this;
  }
};
