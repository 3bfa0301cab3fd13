// The console-style conforms: copy a stretch of the mix over another place, move a stretch,
// or delete one, by hand. Each is written as a short edit list over the mix itself (its own
// file is the only reel) that covers the whole day, then conformed as an edit list is, so
// the state handling, progress and statuses are those of DoConform. Starts and lengths are
// automation time units; the day ends 24 hours at the film frame rate in.
//
// The temporary edit list is the one DoConform uses (TemporaryEDLPath()); each call
// overwrites it. Status 1 when it cannot be written; the mix is then untouched.
#pragma once

#include "commonobjects/conform/ConformStatus.h"
#include "commonobjects/conform/SourceDestItem.h"

class CAutomationPackage;

// The stretch source (start, length) is written over destination: from destination's
// start for the source's length when the destination lies later, for the destination's
// length when it lies at or before the source.
enConformStatus CopyConformVadicStyle(CAutomationPackage* mix, const CSourceDestItem& source,
                                      const CSourceDestItem& destination);
// The stretch source leaves its place (nothing is written there) and is written at
// destination's start when that lies at or before the source, else at destination start +
// source end.
enConformStatus MoveConformVadicStyle(CAutomationPackage* mix, const CSourceDestItem& source,
                                      const CSourceDestItem& destination);
// The stretch source is emptied; everything else stays in place.
enConformStatus DeleteConformVadicStyle(CAutomationPackage* mix, const CSourceDestItem& source);
