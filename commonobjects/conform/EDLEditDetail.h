// CEDLEditDetail: what an edit does besides its times: transition, tracks, reel, owned by
// the destination item of an edit (CSourceDestItem::Detail).
//
// Fields are in the order the system keeps them. Copying copies every field but Reserved3,
// which each detail keeps as it was built (0). A plain value; not thread-safe.
#pragma once

#include <cstdint>
#include <string>

class CEDLEditDetail {
 public:
  // Transition kinds, a bit set in the low byte of Transition.
  static constexpr int32_t kCut = 1;       // "C"
  static constexpr int32_t kDissolve = 2;  // "D"
  static constexpr int32_t kKey = 4;       // "K"

  CEDLEditDetail() = default;
  CEDLEditDetail(const CEDLEditDetail& other) { CopyFrom(other); }
  CEDLEditDetail& operator=(const CEDLEditDetail& other) {
    CopyFrom(other);
    return *this;
  }
  ~CEDLEditDetail() = default;

  int32_t Reserved1 = 0;
  int32_t Reserved2 = 0;
  int32_t Reserved3 = 0;     // not copied
  int32_t Transition = 0;    // kCut | kDissolve | kKey
  uint32_t TrackMask = 0;    // bit n: audio track n + 1 is affected
  uint8_t Video = 0;         // 1: the video track is affected
  std::string ReelName;
  int32_t ReelIndex = -1;    // the reel's position in the reel table; -1 when unknown
  std::string Text1;         // the older binary form's extra string per event
  std::string Text2;         // written with each event of the binary form; read back empty
  int32_t Reserved4 = 1;

 private:
  void CopyFrom(const CEDLEditDetail& other) {
    if (this == &other) return;
    Reserved1 = other.Reserved1;
    Reserved2 = other.Reserved2;
    Transition = other.Transition;
    TrackMask = other.TrackMask;
    Video = other.Video;
    ReelName = other.ReelName;
    ReelIndex = other.ReelIndex;
    Text1 = other.Text1;
    Text2 = other.Text2;
    Reserved4 = other.Reserved4;
  }
};
