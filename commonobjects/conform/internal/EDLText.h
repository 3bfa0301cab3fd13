// The text of edit list event lines: fields, track fields by dialect, timecode fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commonobjects/conform/EDLEditDetail.h"

namespace commonobjects::conform {

// Without white space (space, tab, CR, LF, VT, FF) at either end.
std::string Trim(std::string_view text);
void TrimInPlace(std::string& text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// The leading decimal number of text (an optional sign, then digits), 0 when there is
// none; held to the 32-bit range.
int32_t ReadDecimal(std::string_view text);

// The fields of an event line: without "*" and 0x0F characters, trimmed, split at runs of
// spaces (tabs stay inside fields).
std::vector<std::string> SplitEventLine(std::string_view line);
// A last field without a colon is a trailing track field: when it holds "A3" or "A4" it
// joins field 2 (when field 2 holds "V" or "A") or becomes a new field 2; it is removed in
// every case.
void MoveTrailingTrackField(std::vector<std::string>& fields);
// Reads a track field by the rules of the dialect (format code) into the detail's video
// flag and track mask; true when the field is accepted (nothing, or "none", is left).
bool ReadTrackField(std::string field, int32_t format, CEDLEditDetail& detail);
// Reads hours, minutes, seconds and frames; a field shorter than 4 characters gives hours
// -1. True when the field marks drop-frame timecode (";" or ",").
bool ReadTimecodeField(std::string_view field, int32_t timecode[4]);

}  // namespace commonobjects::conform
