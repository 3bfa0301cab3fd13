// CCutListReader: reads a picture change list, the text report of an editing system (two
// layouts) or the system's binary form ("QRX_CUTLIST_FILE"), into change records.
//
// Text layout 0: per change its number, position footage, wording, length footage, and for
// an insert a following line that may say FROM #n. Layout 1: number, position footage,
// length footage, wording (which may end "FROM n"). Footage values are feet "+" two-digit
// frames, counted at the settings' film frames per foot. Files whose name ends ".txt" are
// tried with layout 1 first, all others with layout 0; a text file that fails in one
// layout is read again in the other. The binary form is recognised by its magic whatever
// the name. Every read replaces the changes of the one before.
// Paths are as the library spells them (Windows drive paths are mapped). Never throws for
// bad input. Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "commonobjects/conform/CutListChange.h"
#include "commonobjects/timecode/TimecodeSettings.h"

class CCutListReader {
 public:
  // Where a failed read stopped.
  enum FailureStage : int32_t {
    kNoFailure = 0,
    kFailedOpening = 1,      // before or at opening the file
    kFailedAfterOpening = 2, // opened, but no change could be read (header, magic, count)
    kFailedInChanges = 3,    // while the changes were read
  };
  static constexpr char kMagic[] = "QRX_CUTLIST_FILE";  // 16 bytes, no terminator

  // settings: the film frames per foot of footage values, and the header of the edit list
  // a conversion writes. The default ones are the registry's (as a timecode converter
  // reads them).
  CCutListReader();
  explicit CCutListReader(const CTimecodeSettings& settings) : Settings(settings) {}
  virtual ~CCutListReader() = default;

  // Reads the change list at path; true when at least one change was read. On false the
  // changes are empty and GetFailureStage() says where the read stopped.
  bool Read(const std::string& path);

  const std::vector<std::unique_ptr<CCutListChange>>& GetChanges() const { return Changes; }
  std::vector<std::unique_ptr<CCutListChange>>& GetChanges() { return Changes; }
  int32_t GetFailureStage() const { return Stage; }
  // The system's error code when the file could not be opened (0 otherwise).
  int GetSystemError() const { return SystemError; }
  bool IsBinary() const { return Binary != 0; }
  int32_t GetLayout() const { return TextLayout; }  // of the text read that succeeded
  int32_t GetOldDurationFeet() const { return OldDurationFeet; }
  int32_t GetOldDurationFrames() const { return OldDurationFrames; }
  const CTimecodeSettings& GetSettings() const { return Settings; }

  // The kind a wording selects (upper-case text as the reader collects it).
  static int32_t ClassifyWording(const std::string& wording);

 private:
  std::vector<std::unique_ptr<CCutListChange>> Changes;
  int32_t TextLayout = 0;
  int32_t OldDurationFeet = 0;
  int32_t OldDurationFrames = 0;
  std::string Wording;
  int32_t ChangeNumber = 0;
  CTimecodeSettings Settings;
  uint8_t Binary = 0;
  int32_t Stage = kNoFailure;
  int SystemError = 0;
};

class CEDLItemList;

// Gives each move and the insert that takes its material ("FROM n", n the move's 1-based
// position in the list) the same pair number (0, 1, 2 ... in list order) in SourceChange,
// so that the edit list places the moved material at the insert.
void PairMovesWithInserts(CCutListReader& reader);

// Writes the binary edit list of a change list (read by reader) to edlPath: the pairs of
// the running old position, new position and offset, the moved material placed at its
// insert, a tail to 24 hours at the film frame rate, every reel in the reel table (the
// mix's own reel: mixFileName without its last 4 characters). Header: the reader's
// settings. False, writing nothing, when the file cannot be created; false also when it
// could not be written whole. edlPath is a library path (a Windows drive path is mapped).
bool ConvertCutListToEDL(CCutListReader& reader, const std::string& mixFileName, const std::string& edlPath);

// Reads the change list at path and appends to items one edit item per stretch: kept
// stretches (kind 0) between changes, removed (kind 1) and inserted (kind 2) material,
// all in automation time units under the registry's timecode settings. An unreadable file
// appends nothing.
void GetCutListItems(std::string path, CEDLItemList& items);
