#include "support/CfbBuilder.h"

#include <stdexcept>

#include "commonobjects/platform/RandomAccessFile.h"

namespace testsupport {

using namespace commonobjects::platform;

Bytes PatternBytes(size_t size, uint32_t seed) {
  Bytes bytes(size);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 16);
  }
  return bytes;
}

Bytes BuildCompoundFile(const StreamContents& streams) {
  auto bytes = std::make_shared<Bytes>();
  std::unique_ptr<CompoundStorage> storage;
  StgStatus status = CompoundStorage::Create(std::make_unique<MemoryFile>(bytes), &storage);
  for (const auto& [name, content] : streams) {
    std::unique_ptr<CompoundStream> stream;
    uint32_t written = 0;
    if (status.IsOk()) status = storage->CreateStream(name, 0x1012, &stream);
    if (status.IsOk()) status = stream->Write(content.data(), static_cast<uint32_t>(content.size()), &written);
  }
  if (status.IsOk()) status = storage->Release();
  if (!status.IsOk()) throw std::runtime_error("building a compound file: " + status.message);
  return *bytes;
}

namespace {

StgStatus ReadStorage(CompoundStorage& storage, const std::string& prefix, StreamContents* streams) {
  for (const StorageEntry& entry : storage.List()) {
    StgStatus status;
    if (entry.isStorage) {
      std::unique_ptr<CompoundStorage> child;
      status = storage.OpenStorage(entry.name, 0x10, &child);
      if (status.IsOk()) status = ReadStorage(*child, prefix + entry.name + "/", streams);
    } else {
      std::unique_ptr<CompoundStream> stream;
      status = storage.OpenStream(entry.name, 0x10, &stream);
      // In pieces: a damaged file may claim any size.
      Bytes content;
      uint8_t piece[65536];
      for (uint32_t got = sizeof piece; status.IsOk() && got == sizeof piece;) {
        status = stream->Read(piece, sizeof piece, &got);
        content.insert(content.end(), piece, piece + got);
      }
      if (status.IsOk() && content.size() != entry.size) status = {StgStatus::kCorrupt, "short read of " + entry.name};
      (*streams)[prefix + entry.name] = std::move(content);
    }
    if (!status.IsOk()) return status;
  }
  return StgStatus::Ok();
}

}  // namespace

StgStatus ReadCompoundFile(const Bytes& bytes, StreamContents* streams) {
  streams->clear();
  std::unique_ptr<CompoundStorage> storage;
  StgStatus status = CompoundStorage::Open(std::make_unique<MemoryFile>(std::make_shared<Bytes>(bytes)), 0x10, &storage);
  if (!status.IsOk()) return status;
  return ReadStorage(*storage, "", streams);
}

CfbEditor::CfbEditor(Bytes bytes) : bytes_(std::move(bytes)) {}

uint16_t CfbEditor::Get16(size_t offset) const { return static_cast<uint16_t>(bytes_.at(offset) | bytes_.at(offset + 1) << 8); }
uint32_t CfbEditor::Get32(size_t offset) const { return Get16(offset) | static_cast<uint32_t>(Get16(offset + 2)) << 16; }
void CfbEditor::Set16(size_t offset, uint16_t value) {
  bytes_.at(offset) = static_cast<uint8_t>(value);
  bytes_.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}
void CfbEditor::Set32(size_t offset, uint32_t value) {
  Set16(offset, static_cast<uint16_t>(value));
  Set16(offset + 2, static_cast<uint16_t>(value >> 16));
}
void CfbEditor::Set64(size_t offset, uint64_t value) {
  Set32(offset, static_cast<uint32_t>(value));
  Set32(offset + 4, static_cast<uint32_t>(value >> 32));
}

size_t CfbEditor::FatEntryOffset(uint32_t sector) const {
  const uint32_t perSector = SectorSize() / 4;
  const uint32_t fatIndex = sector / perSector;
  uint32_t fatSector = 0;
  if (fatIndex < 109) {
    fatSector = Get32(kHeaderDifat + 4 * fatIndex);
  } else {
    uint32_t difat = Get32(kHeaderFirstDifat);
    uint32_t index = fatIndex - 109;
    while (index >= perSector - 1) {
      difat = Get32(SectorOffset(difat) + 4 * (perSector - 1));
      index -= perSector - 1;
    }
    fatSector = Get32(SectorOffset(difat) + 4 * index);
  }
  return SectorOffset(fatSector) + 4 * (sector % perSector);
}

size_t CfbEditor::MiniFatEntryOffset(uint32_t index) const {
  const uint32_t perSector = SectorSize() / 4;
  const std::vector<uint32_t> chain = Chain(Get32(kHeaderFirstMiniFat));
  return SectorOffset(chain.at(index / perSector)) + 4 * (index % perSector);
}

std::vector<uint32_t> CfbEditor::Chain(uint32_t start) const {
  std::vector<uint32_t> chain;
  for (uint32_t sector = start; sector < 0xFFFFFFFA && chain.size() < bytes_.size() / 512; sector = Fat(sector)) {
    chain.push_back(sector);
  }
  return chain;
}

size_t CfbEditor::EntryOffset(uint32_t id) const {
  const uint32_t perSector = SectorSize() / 128;
  const std::vector<uint32_t> chain = Chain(Get32(kHeaderFirstDirectory));
  return SectorOffset(chain.at(id / perSector)) + 128 * (id % perSector);
}

uint32_t CfbEditor::EntryId(const std::string& name) const {
  const std::vector<uint32_t> chain = Chain(Get32(kHeaderFirstDirectory));
  for (uint32_t id = 0; id < chain.size() * (SectorSize() / 128); ++id) {
    const size_t at = EntryOffset(id);
    const uint16_t length = Get16(at + kEntryNameLength);
    if (bytes_[at + kEntryType] == 0 || length != 2 * (name.size() + 1)) continue;
    bool same = true;
    for (size_t i = 0; i < name.size(); ++i) same = same && Get16(at + 2 * i) == static_cast<uint8_t>(name[i]);
    if (same) return id;
  }
  throw std::runtime_error("no entry " + name);
}

}  // namespace testsupport
