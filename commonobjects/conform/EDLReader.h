// CEDLReader: reads an edit decision list one event at a time, in the text dialects of the
// editing systems or in the system's own binary form, and writes the binary form.
//
// Text form: numbered event lines (more than 4 colons) among titles, comments and other
// lines; each event line gives an event number, a reel, a track field, a transition and
// four timecodes (source in, source out, record in, record out). The dialect (format code)
// decides how the track field is read. Binary form: the magic "QRX HDRNEW" (or the older
// "QRX HEADER"), the timecode settings, the reel table and one record per event; a file
// that starts with either magic is read as binary whatever the format code.
//
// Reading: Open, ReadHeader once, then ReadEvent until it returns 0. Writing: Create,
// WriteHeader once, WriteEvent per event, Close (which reports whether everything reached
// the disk). The reader holds the file it reads in memory; others may read and write the
// file meanwhile. Paths are as the library spells them (Windows drive paths are mapped).
// Never throws for bad input: a damaged binary form ends the events where it fails.
// One object per file; not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "commonobjects/conform/EDLTimecodeBlock.h"
#include "commonobjects/conform/ReelTable.h"
#include "commonobjects/conform/SourceDestItem.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/timecode/TimecodeSettings.h"

class CEDLReader {
 public:
  // Format codes: a name's position in the list of names, minus one.
  enum Format : int32_t {
    kUnknown = -1,
    kGeneric = 0,
    kQrx = 1,  // also the binary form
    kCmx340 = 2,
    kCmx3400 = 3,
    kSonyBve9000 = 4,
    kGvg = 5,
    kAvid = 6,  // lines end at a carriage return
  };
  static constexpr int32_t kFormatCount = 8;
  // "UNKNOWN", "GENERIC", "QRX", "CMX340", "CMX3400", "SONY_BVE9000", "GVG", "AVID".
  static const char* FormatName(int32_t format);  // "UNKNOWN" for a code out of range
  // The code of a name (ignoring case); false when no format has it.
  static bool FormatFromName(const std::string& name, int32_t& format);

  // Line classes (ClassifyLine).
  enum LineClass : int32_t {
    kEmptyLine = 0,
    kBinaryHeader = 1,
    kEventLine = 5,    // more than 4 colons
    kEndOfFile = 15,
    kOtherLine = 16,
  };

  // What the last ReadEvent made of its event line. A rejected track field leaves the
  // transition and the reel unread, but the line's times still place an edit; the other
  // failures place none.
  enum EventResult : int32_t {
    kEventRead = 0,
    kTooFewFields,       // fewer than 4 fields once a trailing track field is moved
    kTrackRejected,      // no rule of the dialect accepts the track field
    kTimecodeTooShort,   // a timecode field of fewer than 4 characters (hours -1)
  };
  static const char* EventResultText(int32_t result);

  static constexpr char kMagic[] = "QRX HDRNEW";
  static constexpr char kOldMagic[] = "QRX HEADER";
  static constexpr size_t kMagicLength = 10;

  CEDLReader(const std::string& fileName, int32_t format);
  virtual ~CEDLReader();
  CEDLReader(const CEDLReader&) = delete;
  CEDLReader& operator=(const CEDLReader&) = delete;

  // Opens the file for reading (shared); false when it cannot be read.
  bool Open();
  // Creates (or empties) the file for writing; false when it cannot be created.
  bool Create();
  // Closes the file; after writing, true when every byte written reached the file.
  bool Close();
  bool IsOpen() const;
  // Why the last Open, Create or Close failed.
  const commonobjects::platform::FileStatus& GetFileStatus() const { return Status; }

  // Reads up to the first event. Text: returns kEventLine with the event line next, or
  // kOtherLine when the file holds none; the settings and reels are left as given but kept
  // as the frame rate of the events. Binary: fills settings (the eight header integers) and
  // reels and returns kBinaryHeader; a header or reel table cut short returns kEndOfFile
  // (no events follow). Not open: kEndOfFile.
  int32_t ReadHeader(CTimecodeSettings& settings, CReelTable& reels);
  // Reads the next event: 1 when an event line (or record) was read, 0 at the end of the
  // file. The destination item gets a fresh detail. Text: the event number goes to the
  // source item, the reel, tracks and transition to the detail, the timecodes to tc, and,
  // when the line yields an edit, the source start (source in), destination start (record
  // in) and both lengths (record out - record in) in frames at the frame rate of the
  // header's settings (drop-frame counted as such once the drop-frame state is 0).
  // tc, the starts and the lengths are cleared first, so a line that yields nothing never
  // carries an earlier line's times; GetEventResult() tells what the line yielded. Binary: the record's source start,
  // record start and length (also the source length) and the detail.
  int32_t ReadEvent(CEDLTimecodeBlock& tc, CSourceDestItem& source, CSourceDestItem& dest);

  // At least as many as the events left to read (text: a fifth of the colons left; binary:
  // the bytes left over the smallest record). A bound for reserving room, not a count.
  int32_t GetEventBound() const;

  // Binary form. WriteHeader writes the magic (the older one when oldHeader), the settings
  // and the reel table; WriteEvent one record: source start from source, record start and
  // length from dest, then dest's detail (a detail as built when it has none).
  void WriteHeader(const CTimecodeSettings& settings, const CReelTable& reels, bool oldHeader = false);
  void WriteEvent(const CSourceDestItem& source, const CSourceDestItem& dest);

  // Classifies the next line and makes it the current line (see LineClass).
  int32_t ClassifyLine();

  int32_t GetFormat() const { return FormatCode; }
  const std::string& GetFileName() const { return FileName; }
  const std::string& GetTitle() const { return Title; }
  const std::string& GetCurrentLine() const { return CurrentLine; }
  uint32_t GetLineStart() const { return LineStart; }
  // 2 until a ";" or "," appears in a timecode, then 0 (drop-frame timecode).
  int32_t GetDropFrameState() const { return DropFrameState; }
  bool IsBinary() const { return Binary; }
  bool HasOldHeader() const { return OldHeader; }
  int32_t GetEventResult() const { return LastEventResult; }
  // Whether the last event read places an edit (its starts and lengths are set).
  bool EventYieldsEdit() const { return LastEventResult == kEventRead || LastEventResult == kTrackRejected; }

 private:
  bool ReadLine();
  bool ReadAvidLine();
  int32_t ReadBinaryEvent(CSourceDestItem& source, CSourceDestItem& dest);
  int32_t ReadTextEvent(CEDLTimecodeBlock& tc, CSourceDestItem& source, CSourceDestItem& dest);
  int32_t ParseEventLine(CEDLTimecodeBlock& tc, CSourceDestItem& source, CEDLEditDetail& detail);
  void ReadTimecode(const std::string& field, int32_t timecode[4]);
  int32_t FramesOf(const int32_t timecode[4]) const;

  std::string FileName;
  std::string Title;
  int32_t FormatCode;
  std::string CurrentLine;
  uint32_t LineStart = 0;
  int32_t DropFrameState = 2;
  uint8_t LineEnded = 0;

  std::string Content;          // the whole file, while reading
  size_t Position = 0;
  bool Reading = false;
  commonobjects::platform::File Output;        // while writing
  std::string Pending;          // bytes written, not yet in the file
  commonobjects::platform::FileStatus Status;

  bool Binary = false;
  bool OldHeader = false;
  int32_t FramesPerSecond = 24;  // of the text events' timecodes
  int32_t LastEventResult = kEventRead;
};
