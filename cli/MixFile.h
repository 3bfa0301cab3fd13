// Mixes on mixauto's command line: what a file holds (an event-array file, a mix in either
// form, or neither), a mix loaded whole into a package, why a loaded mix must not be written
// back, and writing a mix so that a failure never leaves a half file.
//
// A file is taken by its content: "AUTXFILE" in its first bytes makes a compressed mix; a
// compound file with any stream that only a mix has ("SnapshotVersionVectorData",
// "AutomationSize", a slot, a map ...) a structured mix; any other compound file an
// event-array file. Used from the main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/WindowMessages.h"

namespace mixauto {

enum class FileKind { kMissing, kOther, kEventArray, kStructuredMix, kCompressedMix };

FileKind DetectFileKind(const std::string& native);
inline bool IsMix(FileKind kind) { return kind == FileKind::kStructuredMix || kind == FileKind::kCompressedMix; }
// What a max paths mode means for a file's events: "2000 paths, 16-bit path records".
const char* PathsModeName(int32_t mode);
// The number of paths of a max paths mode, as text: "2000".
std::string PathsOfMode(int32_t mode);
// "structured mix" or "compressed mix".
const char* MixFormName(bool compressed);

// The mix at the native path, loaded; `status` (may be null) receives its sort notifications.
// The package posts no notification when it is destroyed.
std::unique_ptr<CAutomationPackage> LoadMix(const std::string& native, HWND status = nullptr);

// Why a file's events in max paths mode `fileMode` cannot be worked on by this console in
// `ownMode`, and which setting to change.
std::string PathModeMismatch(int32_t fileMode, int32_t ownMode);

// Why the events of a loaded mix are not there to work on ("" when they are): the file did
// not open as a mix, or its events could not be read (another max paths mode, a missing or
// damaged event stream or block).
std::string EventsProblem(const CAutomationPackage& mix);
// Why saving the loaded mix would lose data ("" when it would not): its events are not there,
// some member could not be read, or (compressed) a block's data no longer expands whole, which
// the load passes over. Reads the mix's file again; call it before the mix's file name changes.
std::string SaveProblem(const CAutomationPackage& mix);

// Saves the mix into the native path `out` itself, in one transaction: the compressed form is
// written beside it and renamed over it; the structured form commits every stream at once
// into the compound file `out` (it keeps streams the mix does not write). "" or the problem;
// on failure `out` is as it was.
std::string SaveMixInto(CAutomationPackage& mix, const std::string& out, bool compressed);
// Builds a file at a temporary name beside `out`, starting from a copy of the file `basis`
// (none when empty), lets `save` write into it (skipped when null) and renames it over `out`.
// "" or the problem; on failure `out` is as it was and the temporary file is gone.
std::string ReplaceFile(const std::string& out, const std::string& basis,
                        const std::function<bool(const std::string& temporary)>& save);
// The mix written to `out` in the given form whatever `out` held before (nothing, a mix of
// either form, another file): a structured mix is saved into `out` only when `out` is one
// already, else built beside it and renamed over it. "" or the problem.
std::string WriteMix(CAutomationPackage& mix, const std::string& out, bool compressed);

}  // namespace mixauto
