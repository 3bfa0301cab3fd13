// Where a mix keeps its members in its two file forms: the data-kind slots, the suffixes
// that make a named array's stream name in the structured form, the fixed stream names, and
// the block numbers of the compressed form. Byte layout: doc/formats/mix-file.md.
// Constants and pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace MixLayout {

// ---- Data-kind slots: eight control slots and eight route slots ----
inline constexpr int32_t kSlotCount = 8;
inline constexpr const char* kControlSlotNames[kSlotCount] = {
    "Ends", "Virgins", "Armed", "Mode", "TouchNotMode", "Touch", "Meta", "LinkControls"};
inline constexpr const char* kRouteSlotNames[kSlotCount] = {
    "Ends", "Virgins", "Armed", "Mode", "TouchNotMode", "Touch", "Meta", "LinkRoutes"};
// Record sizes in bytes: large consoles (types 2-5, 7) and small ones (types 1, 6).
inline constexpr int32_t kFullControlRecordBytes = 144;
inline constexpr int32_t kFullRouteRecordBytes = 192;
inline constexpr int32_t kSmallControlRecordBytes = 20;
inline constexpr int32_t kSmallRouteRecordBytes = 4;
// Words of a path's record in the complete control parameter block.
inline constexpr int32_t kControlParmWordsPerPath = 45;

// ---- Structured form: a named array's stream is its name followed by its suffix ----
inline constexpr char kControlSlotSuffix[] = "CtlData";
inline constexpr char kRouteSlotSuffix[] = "RteData";
inline constexpr char kControlParmsSuffix[] = "CCtrlParms";
inline constexpr char kRouteParmsSuffix[] = "CRteParms";
inline constexpr char kMapSuffixPathMap[] = "PathMap";
inline constexpr char kMapSuffixLinkMap[] = "LinkMap";
inline constexpr char kMapSuffixGangMap[] = "GangMap";
inline constexpr char kVectorSuffix[] = "VectorData";  // snapshot version, first route, analogue info
inline constexpr char kMixPassStream[] = "Mix Pass";   // the two mix-pass numbers
// The single-value arrays are stored under their names alone ("AutomationSize", "CutAB",
// "FrameRate", "ConsoleType").

// Every stream a structured mix holds beside the event-array file's own ("Path Mode",
// "AutomationData", "File Version", "Time And Date"), in the order a save writes them.
std::vector<std::string_view> MixStreamNames();
// Whether `name` is one of them (stream names compare without regard to case): a compound
// file holding one is a mix, not a bare event-array file.
bool IsMixStream(std::string_view name);

// ---- Compressed form: block numbers ----
inline constexpr int32_t kEventsBlock = 1;
inline constexpr int32_t kControlSlotBlocks[kSlotCount] = {2, 4, 6, 9, 15, 11, 13, 21};
inline constexpr int32_t kRouteSlotBlocks[kSlotCount] = {3, 5, 7, 10, 16, 12, 14, 22};
inline constexpr int32_t kFirstAutoRteBlock = 8;
inline constexpr int32_t kControlParmsBlock = 17;
inline constexpr int32_t kRouteParmsBlock = 18;
inline constexpr int32_t kPathMapBlock = 19;
inline constexpr int32_t kSnapshotVersionBlock = 20;
inline constexpr int32_t kLinkMapBlock = 23;
inline constexpr int32_t kGangMapBlock = 24;
inline constexpr int32_t kFaderSummaryBlock = 26;  // words 6 and 15 of each path's parameters
inline constexpr int32_t kAnalogueInfoBlock = 27;
// The parameter words that the fader summary lists for every path, in this order.
inline constexpr int32_t kFaderSummaryWords[2] = {6, 15};

// The name the hosts list a compressed mix's block under: the data kind of a slot block
// ("Ends" for 2 and 3 ... "LinkRoutes" for 22, "ISS" for 17 and 18), "ERROR" for 0, 1, 8,
// 19, 20, 23 to 27 and 100 to 102, "UNKNOWN" for any other number. These are the hosts'
// historic names: 11 and 12 are listed as "TouchNotMode" and 15 and 16 as "Touch", the
// other way round from the slots stored there.
const char* GetBlockName(int32_t number);

// ---- Snapshot versions: the data version of the stored control and route records ----
// The version a mix of max paths mode 0, 1, 2 is written with: 18, 28, 35 (18 for any other
// mode); on small consoles (types 1 and 6) at least 22, since no lower version describes their
// 5-word control records.
int32_t CurrentSnapshotVersion(int32_t pathsMode, bool smallConsole);
// Below these versions the control records have an older layout (see doc/formats/mix-file.md):
inline constexpr uint32_t kFirstSecondLayoutVersion = 16;  // large consoles: 20 words below, 27 words at 16 and 17
inline constexpr uint32_t kFirstCurrentLayoutVersion = 18;  // large consoles: 36 words from here
inline constexpr uint32_t kFirstSmallCurrentVersion = 22;   // small consoles: 4 words below, 5 from here
// Bytes of one control record as a mix of snapshot `version` stores it: 80, 108 or 144 on
// large consoles, 16 or 20 on small ones.
int32_t StoredControlRecordBytes(uint32_t version, bool smallConsole);

}  // namespace MixLayout
