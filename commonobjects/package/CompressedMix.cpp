// A mix as a compressed automation file: one block per member, numbered as the hosts number
// them (MixLayout.h, doc/formats/mix-file.md), and the header values of the mix.
//
// Reading a member empties it first, so a block the file lacks leaves the member empty; a
// block that cannot be read completely, or whose compressed data is damaged, keeps what
// could be read and is named unreadable in the load report. A file whose header is not
// valid leaves the package as it was.
#include <memory>
#include <vector>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/eventstore/ArchiveRecords.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/package/internal/MixConversion.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace {

constexpr uint32_t kLoadStartCode = 0;
constexpr uint32_t kLoadCode = 15;
constexpr uint32_t kLoadEndCode = 17;
constexpr int32_t kAfterSnapshotVersion = 3;
constexpr int32_t kAfterControls = 35;
constexpr size_t kArchivePaddingByte = 13;  // zero in a record, ignored when read

std::string BlockLabel(int32_t number) { return "block " + std::to_string(number); }

// Blocks of a mix being read; missing and unreadable blocks go into the report.
class MixBlockReader {
 public:
  MixBlockReader(CCompressedAutoFile& file, PackageLoadReportStructure& report) : file_(file), report_(report) {}

  // The block's bytes; empty when it is missing (false) or could not be read whole (false,
  // with what was read).
  bool ReadBytes(int32_t number, std::vector<uint8_t>* bytes) {
    bytes->clear();
    const int64_t length = file_.BlockLength(number);
    if (length < 0) return Note(number, false);
    bytes->resize(static_cast<size_t>(length));
    return Note(number, file_.ReadBlock(number, bytes->data(), bytes->size()) && !file_.LastReadDamaged());
  }

  template <typename T>
  void ReadMember(int32_t number, CGrowableArray<T>& array) {
    Note(number, file_.ReadArray(number, array) && !file_.LastReadDamaged());
  }

  // Block 1: the events, 16-byte archive records, read straight into the array's memory
  // where the two agree.
  bool ReadEvents(CAutomationEventArray& events) {
    const int64_t length = file_.BlockLength(MixLayout::kEventsBlock);
    if (length < 0 || static_cast<uint64_t>(length) / kArchiveRecordBytes > INT32_MAX) {
      events.RemoveAll();
      return Note(MixLayout::kEventsBlock, false);
    }
    const size_t count = static_cast<size_t>(length) / kArchiveRecordBytes;
    CGrowableArray<CAutomationEvent> read;
    read.SetSize(static_cast<int32_t>(count));
    bool ok = false;
    if (EventMemoryIsArchiveRecord()) {
      ok = file_.ReadBlock(MixLayout::kEventsBlock, read.GetData(), count * kArchiveRecordBytes);
    } else {
      std::vector<uint8_t> bytes(count * kArchiveRecordBytes);
      ok = file_.ReadBlock(MixLayout::kEventsBlock, bytes.data(), bytes.size());
      DecodeArchiveRecords(bytes.data(), count, read.GetData());
    }
    static_cast<CGrowableArray<CAutomationEvent>&>(events) = std::move(read);
    return Note(MixLayout::kEventsBlock, ok && !file_.LastReadDamaged());
  }

 private:
  // A block the table lists but that could not be read (whole) is unreadable; one it does
  // not list is missing.
  bool Note(int32_t number, bool ok) {
    if (!ok) {
      const int32_t i = file_.FindSlot(number);
      const bool listed = i >= 0 && file_.Slots[static_cast<size_t>(i)].BlockNumber == number;
      (listed ? report_.Unreadable : report_.Missing).push_back(BlockLabel(number));
    }
    return ok;
  }

  CCompressedAutoFile& file_;
  PackageLoadReportStructure& report_;
};

// Block 1: the events as 16-byte archive records. Where an event's memory is its record but
// for the padding byte, the array is written as it lies once every padding byte is 0 (a long
// mix is not copied into a second buffer of 160 MB first; the padding bytes hold nothing).
void WriteEvents(CCompressedAutoFile& file, CAutomationEventArray& events) {
  const size_t count = static_cast<size_t>(events.GetSize());
  if (EventMemoryIsArchiveRecord()) {
    auto* records = reinterpret_cast<unsigned char*>(events.GetData());
    for (size_t i = 0; i < count; ++i) {
      unsigned char& padding = records[i * kArchiveRecordBytes + kArchivePaddingByte];
      if (padding != 0) padding = 0;  // stores only where needed: the pass stays a read
    }
    file.WriteBlock(MixLayout::kEventsBlock, records, count * kArchiveRecordBytes);
    return;
  }
  auto records = std::make_unique_for_overwrite<uint8_t[]>(count * kArchiveRecordBytes);
  EncodeArchiveRecords(events.GetData(), count, records.get());
  file.WriteBlock(MixLayout::kEventsBlock, records.get(), count * kArchiveRecordBytes);
}

void WriteSlot(CCompressedAutoFile& file, int32_t number, const CRecordArray* slot) {
  if (slot != nullptr) file.WriteBlock(number, slot->GetData(), slot->GetByteCount());
}

// Block 26: words 6 and 15 of every path's 45-word parameter record, as two arrays.
void WriteFaderSummary(CCompressedAutoFile& file, const CWordArray& parms, int32_t paths) {
  CWordArray summary;
  summary.SetSize(2 * paths);
  for (int32_t i = 0; i < 2; ++i) {
    for (int32_t p = 0; p < paths; ++p) {
      summary[i * paths + p] = parms[p * MixLayout::kControlParmWordsPerPath + MixLayout::kFaderSummaryWords[i]];
    }
  }
  file.WriteArray(MixLayout::kFaderSummaryBlock, summary);
}

}  // namespace

int CAutomationPackage::WriteCompressed(CCompressedAutoFile& file) {
  namespace ml = MixLayout;
  AutomationSize.SetSize(1);
  AutomationSize[0] = static_cast<uint32_t>(GetSize());
  WriteEvents(file, *this);
  for (int k = 0; k < ml::kSlotCount; ++k) {
    WriteSlot(file, ml::kControlSlotBlocks[k], GetSlot(FullControl, k));
    WriteSlot(file, ml::kControlSlotBlocks[k], GetSlot(SmallControl, k));
  }
  for (int k = 0; k < ml::kSlotCount; ++k) {
    WriteSlot(file, ml::kRouteSlotBlocks[k], GetSlot(FullRoute, k));
    WriteSlot(file, ml::kRouteSlotBlocks[k], GetSlot(SmallRoute, k));
  }
  file.WriteArray(ml::kControlParmsBlock, ControlParms);
  const int32_t paths = PathsLayout->GetMaxPaths();
  if (ControlParms.GetSize() == paths * ml::kControlParmWordsPerPath) WriteFaderSummary(file, ControlParms, paths);
  file.WriteArray(ml::kRouteParmsBlock, RouteParms);
  file.WriteArray(ml::kPathMapBlock, PathMapData);
  ApplySnapshotUpgrade();
  file.WriteArray(ml::kSnapshotVersionBlock, SnapshotVersion);
  file.WriteArray(ml::kFirstAutoRteBlock, FirstAutoRte);
  file.WriteArray(ml::kLinkMapBlock, LinkMap);
  file.WriteArray(ml::kGangMapBlock, GangMap);
  file.WriteArray(ml::kAnalogueInfoBlock, AnalogueInfo);
  file.EventCount = GetSize();
  file.MixPassA = MixPassA;
  file.MixPassB = MixPassB;
  file.PathsMode = GetPathsMode();
  file.FrameRate = GetTimecodeFramesPerSecond();
  file.CutAB = CConsoleConfiguration::GetMuteABPath();
  file.ConsoleType = CConsoleConfiguration::GetConsoleType();
  return file.WriteFailed() ? 0 : 1;
}

void CAutomationPackage::ReadCompressed(CCompressedAutoFile& file) {
  namespace ml = MixLayout;
  LoadReport = {};
  if (!file.IsOpen() || !file.HeaderValid) return;
  LoadReport.Opened = true;
  LoadReport.EventMode = file.PathsMode;
  MixBlockReader reader(file, LoadReport);
  PostEventNotification(kLoadStartCode, 0);
  reader.ReadMember(ml::kSnapshotVersionBlock, SnapshotVersion);
  PostEventNotification(kLoadCode, kAfterSnapshotVersion);
  const uint32_t version = TakeSnapshotVersion();
  const bool small = HasSmallSlots();
  const auto layout = commonobjects::package::ControlLayoutForVersion(version, small);
  LoadReport.ControlsConverted = layout != commonobjects::package::ControlRecordLayout::kCurrent;
  for (int k = 0; k < ml::kSlotCount; ++k) {
    for (SlotSet set : {FullControl, SmallControl}) {
      if (CRecordArray* slot = GetSlot(set, k)) {
        std::vector<uint8_t> bytes;
        reader.ReadBytes(ml::kControlSlotBlocks[k], &bytes);
        commonobjects::package::AssignControlRecords(std::move(bytes), layout, k, *slot);
      }
    }
  }
  reader.ReadMember(ml::kControlParmsBlock, ControlParms);
  PostEventNotification(kLoadCode, kAfterControls);
  for (int k = 0; k < ml::kSlotCount; ++k) {
    for (SlotSet set : {FullRoute, SmallRoute}) {
      if (CRecordArray* slot = GetSlot(set, k)) {
        std::vector<uint8_t> bytes;
        reader.ReadBytes(ml::kRouteSlotBlocks[k], &bytes);
        slot->Assign(std::move(bytes));
      }
    }
  }
  reader.ReadMember(ml::kRouteParmsBlock, RouteParms);
  LoadReport.EventsLoaded = reader.ReadEvents(*this);
  reader.ReadMember(ml::kPathMapBlock, PathMapData);
  reader.ReadMember(ml::kLinkMapBlock, LinkMap);
  reader.ReadMember(ml::kGangMapBlock, GangMap);
  if (small) {
    CutAB.RemoveAll();
    CutAB.Add(static_cast<uint32_t>(file.CutAB));
    reader.ReadMember(ml::kAnalogueInfoBlock, AnalogueInfo);
  }
  FrameRate.RemoveAll();
  FrameRate.Add(static_cast<uint32_t>(file.FrameRate));
  // The file does not store the console type: the mix is on this package's console.
  ConsoleType.RemoveAll();
  ConsoleType.Add(static_cast<uint32_t>(CControlModel::ForCurrentConsole().GetConsoleType()));
  reader.ReadMember(ml::kFirstAutoRteBlock, FirstAutoRte);
  SetMixPass(file.MixPassA, file.MixPassB);
  PostEventNotification(kLoadEndCode, 0);
  ConvertToPackageMode(version);
}
