// CAutomationPackage: one mix. Its events (the event array it is), the per-path control and
// route records of the automation pass in sixteen data-kind slots, the console's parameter
// blocks, the maps that tie paths, links and gangs together, and the mix's identity (pass
// numbers, frame rate, console type). It is saved to and loaded from one file, in either of
// two forms: a structured-storage (compound) file or a compressed automation file
// ("AUTXFILE"). Byte layout of both: doc/formats/mix-file.md.
//
// Invariants:
//  1. The slots that exist are fixed at construction by the console type: on types 2-5 and 7
//     the full set (144-byte control, 192-byte route records), on types 1 and 6 the small set
//     (20-byte and 4-byte records); GetSlot answers null for the other set.
//  2. The package is idle (IsIdle) except while a save or load runs; both hold the package's
//     lock from start to end, and destruction waits, polling every 100 ms, until it is idle.
//  3. A save is one transaction: it leaves on disk the whole new mix or, when it fails, the
//     whole previous file (see Save).
//  4. A load never shrinks what a mix holds: old mixes are converted to the package's max paths
//     mode by extending slots, maps and parameter blocks, with every path's data at its path.
//
// Ownership: the package owns its slots, arrays, layouts and lock. Thread-safety: one thread
// uses a package at a time, except that destruction, Save, Load and Clear may come from
// different threads (they serialise on the lock, and destruction waits for a running save or
// load). Long work posts status notifications (codes 0, 15, 17, 26).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/console/PathMap.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/package/MixLayout.h"
#include "commonobjects/package/NamedArray.h"
#include "commonobjects/package/RecordArray.h"
#include "commonobjects/platform/SystemTime.h"

class CCompressedAutoFile;
namespace commonobjects::platform {
class CompoundStorage;
class CriticalSection;
}  // namespace commonobjects::platform

// What the last load of a package found. The package's contents and flags are the load's
// outcome; this tells a tool why a member kept its old contents.
struct PackageLoadReportStructure {
  bool Opened = false;        // the file opened as a mix of one of the two forms
  bool EventsLoaded = false;  // the events were read (also when the mix has none)
  int32_t EventMode = -1;     // the max paths mode the file gives for its events; -1: none
  uint32_t Version = 0;       // the snapshot version the records were read under
  bool ControlsConverted = false;  // control records of an older layout were converted
  bool ModeConverted = false;      // the mix was converted to the package's max paths mode
  std::vector<std::string> Missing;     // streams or blocks the file lacks
  std::vector<std::string> Unreadable;  // streams or blocks present but unreadable or damaged
};

class CAutomationPackage : public CAutomationEventArray {
 public:
  enum SlotSet : int32_t { FullControl = 0, FullRoute = 1, SmallControl = 2, SmallRoute = 3 };

  // Reads the console configuration and max paths mode, builds the slots of the console type,
  // sizes the gang map to paths x paths entries of 0xFFFF (paths of the package's mode), puts
  // one element in each single-value array (frame rate from the timecode settings, cut A/B:
  // "CutABPath" on type 1, "MuteABPath" on type 6, else 0; automation size 0; the console
  // type), fills the analogue information from the fader layout and stamps the modification
  // time.
  CAutomationPackage();
  // Waits until no save or load runs (taking and releasing the lock, then sleeping 100 ms
  // between checks), then posts notification 17 when NotifyOnDestruction is set.
  ~CAutomationPackage() override;
  CAutomationPackage(const CAutomationPackage&) = delete;
  // Copies the events, the records of every slot present on both sides, the parameter blocks,
  // path map, first automation route, snapshot version, console type, link map, gang map and
  // frame rate; on console types 1 and 6 also cut A/B and the analogue information; the
  // old-version and notify-on-destruction flags and the host field. The pending snapshot
  // upgrade is cleared. Neither the file name, the lock nor the mix pass is copied.
  CAutomationPackage& operator=(const CAutomationPackage& other);

  // ---- Members (named arrays; names begin their stream names) ----
  CMapArray<uint32_t> LinkMap{"LinkMap"};          // per path: the link it belongs to
  CMapArray<uint16_t> GangMap{"GangMap"};          // paths x paths, row-major; 0xFFFF: no gang
  CNamedArray<uint16_t> ControlParms{"ISS"};       // control parameters, 45 words per path when complete
  CNamedArray<uint16_t> RouteParms{"ISS"};         // route parameters
  CNamedArray<uint32_t> PathMapData{"PathMap"};    // the path map's list (CPathMap), pairs
  CNamedArray<uint32_t> FirstAutoRte{"FirstAutoRte"};
  CNamedArray<uint32_t> SnapshotVersion{"SnapshotVersion"};  // element 0: the records' data version
  CNamedArray<uint32_t> AnalogueInfo{"AnalogueInfo"};        // the fader layout's six counts, then 19 zeros
  // Single-value arrays (one element after construction; Clear empties them).
  CNamedArray<uint32_t> FrameRate{"FrameRate"};
  CNamedArray<uint32_t> CutAB{"CutAB"};
  CNamedArray<uint32_t> AutomationSize{"AutomationSize"};  // the event count, filled when saving
  CNamedArray<uint32_t> ConsoleType{"ConsoleType"};

  // The slot `slot` (0..7) of a set; null where the console type has no such slot or the
  // arguments are out of range.
  CRecordArray* GetSlot(SlotSet set, int slot) const;
  // The path groups of PathMapData, as the editing operations read them.
  CPathMap GetPathMap() const;

  void SetFileName(const std::string& name) { FileName = name; }
  const std::string& GetFileName() const { return FileName; }
  void SetMixPass(int32_t a, int32_t b);
  void GetMixPass(int32_t& a, int32_t& b) const;

  // ---- Storage (package/PackageStorage.cpp) ----
  // Writes the mix to the file name, compressed (a compressed automation file) when
  // `compressed` is nonzero, else as a structured-storage file (an existing compound file
  // keeps its other streams). Nonzero on success. A save is one transaction: the structured
  // form commits every stream together, the compressed form is written beside the file and
  // renamed over it, so on failure (result 0, error state 5) the file is as it was before.
  int Save(int compressed);
  // Reads the mix at the file name, of either form (told by its first bytes), and converts an
  // old mix to the package's max paths mode. A member whose stream is missing or unreadable
  // keeps its contents (in a compressed mix a missing block empties it); a file that opens as
  // neither form leaves the package as it was apart from the compressed-file flag.
  // GetLoadReport tells what was found.
  void Load();
  // Empties the events, every slot and every named array (the single-value arrays too) and
  // sets the mix pass to -1, -1. Under the lock.
  void Clear();

  // The two forms over containers the caller opened (tests, tools, fuzzing); Save and Load
  // use them. SaveTo(storage) writes every stream and commits them together, or, when a
  // stream cannot be written, abandons the session; either way the storage is released
  // (1 on success, else 0). SaveTo(file) writes every block and sets the header values; the
  // caller closes the file: 1 when everything was written, else 0. Neither touches the
  // error state. LoadFrom reads as Load does.
  int SaveTo(commonobjects::platform::CompoundStorage& storage);
  void LoadFrom(commonobjects::platform::CompoundStorage& storage);
  int SaveTo(CCompressedAutoFile& file);
  void LoadFrom(CCompressedAutoFile& file);

  // ---- State ----
  bool IsIdle() const;
  int32_t GetErrorState() const { return ErrorState; }  // 0, or 5 after a failed save
  bool IsCompressedFile() const { return CompressedFile != 0; }
  // The loaded mix's snapshot version is below the current one of its max paths mode.
  bool IsOldVersion() const { return OldVersion; }
  FILETIME GetModificationTime() const { return ModificationTime; }  // UTC
  int32_t GetPathsMode() const;  // the package's own max paths mode (GetMaxPaths: its paths)
  // The next save replaces an old snapshot version by the current one of the package's mode.
  // A load that converted the mix sets it, so that the converted records are saved under the
  // version that describes them.
  void SetSnapshotAppendPending(bool pending) { SnapshotAppendPending = pending ? 1 : 0; }
  bool IsSnapshotAppendPending() const { return SnapshotAppendPending != 0; }
  void SetNotifyOnDestruction(bool notify) { NotifyOnDestruction = notify ? 1 : 0; }
  const PackageLoadReportStructure& GetLoadReport() const { return LoadReport; }
  // Whether the console type gave this package the small slots (types 1 and 6).
  bool HasSmallSlots() const { return SmallControlSlots[0] != nullptr; }

 private:
  class BusyScope;
  using SlotArray = std::array<std::unique_ptr<CRecordArray>, MixLayout::kSlotCount>;

  void StampModificationTime();
  void FillAnalogueInfo();
  const SlotArray& Slots(SlotSet set) const;
  // The snapshot version the next save writes: the pending upgrade applied.
  void ApplySnapshotUpgrade();
  // Storage workers (package/StructuredMix.cpp, package/CompressedMix.cpp); the caller holds
  // the lock and has marked the package busy.
  int WriteStructured(commonobjects::platform::CompoundStorage& storage);
  void ReadStructured(commonobjects::platform::CompoundStorage& storage);
  int WriteCompressed(CCompressedAutoFile& file);
  void ReadCompressed(CCompressedAutoFile& file);
  int SaveCompressedFile();
  int SaveStructuredFile();
  int CommitStructured(commonobjects::platform::CompoundStorage& storage);
  // Version conversion bookkeeping shared by both forms (package/MixConversion.cpp).
  uint32_t TakeSnapshotVersion();
  void ConvertToPackageMode(uint32_t version);

  // The members below follow the package's member list in order.
  int32_t HostPair[2] = {-1, -1};  // kept for the hosts; -1 when unset
  std::unique_ptr<commonobjects::platform::CriticalSection> Lock;
  std::atomic<int32_t> Idle{1};  // 0 while a save or load runs; written under the lock
  FILETIME ModificationTime{};
  int32_t ErrorState = 0;
  int32_t CompressedFile = 1;
  std::string FileName;
  int32_t MixPassA = -1;
  int32_t MixPassB = -1;
  std::unique_ptr<uint8_t[]> HostBuffer;  // kept for the hosts; released at destruction
  int32_t HostField = -1;                 // kept for the hosts; -1 when unset
  bool OldVersion = false;
  std::unique_ptr<CConsoleConfiguration> Configuration;  // names of the configuration values
  int32_t SnapshotAppendPending = 0;
  uint32_t Reserved = 0;
  SlotArray ControlSlots;       // console types 2-5, 7
  SlotArray RouteSlots;
  SlotArray SmallControlSlots;  // console types 1, 6
  SlotArray SmallRouteSlots;
  int32_t NotifyOnDestruction = 1;
  std::unique_ptr<CConsoleLayout> PathsLayout;  // the package's own max paths mode

  PackageLoadReportStructure LoadReport;
};
