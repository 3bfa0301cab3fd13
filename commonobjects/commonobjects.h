// commonobjects: console automation events, their editing, storage and conform.
// The umbrella header: includes every public header of the library.
#pragma once

#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/CriticalSection.h"
#include "commonobjects/platform/DynamicLibrary.h"
#include "commonobjects/platform/File.h"
#include "commonobjects/platform/MemoryRegistryStore.h"
#include "commonobjects/platform/RandomAccessFile.h"
#include "commonobjects/platform/RegFileFormat.h"
#include "commonobjects/platform/RegFileStore.h"
#include "commonobjects/platform/RegistryStore.h"
#include "commonobjects/platform/RegistryTree.h"
#include "commonobjects/platform/SystemTime.h"
#include "commonobjects/platform/WindowMessages.h"
#include "commonobjects/platform/WindowsDrive.h"

#include "commonobjects/settings/LinkSettings.h"
#include "commonobjects/settings/RegistryAccess.h"
#include "commonobjects/settings/SharedNames.h"

#include "commonobjects/console/ConsoleConfiguration.h"
#include "commonobjects/console/ConsoleLayout.h"
#include "commonobjects/console/ControlModel.h"
#include "commonobjects/console/DefaultConsoleState.h"
#include "commonobjects/console/FaderLayout.h"
#include "commonobjects/console/PathMap.h"
#include "commonobjects/console/SlotAlignment.h"

#include "commonobjects/timecode/TimecodeConverter.h"
#include "commonobjects/timecode/TimecodeSettings.h"
#include "commonobjects/timecode/TimecodeText.h"

#include "commonobjects/eventstore/Archive.h"
#include "commonobjects/eventstore/AutomationEvent.h"
#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/eventstore/BlockSource.h"
#include "commonobjects/eventstore/EventFilter.h"
#include "commonobjects/eventstore/GrowableArray.h"
#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/eventstore/TranslationPairArray.h"

#include "commonobjects/editing/AutomationChannel.h"
#include "commonobjects/editing/ChannelDataWorkers.h"
#include "commonobjects/editing/ChannelSearch.h"
#include "commonobjects/editing/ChannelStateTracker.h"
#include "commonobjects/editing/EditPointList.h"
#include "commonobjects/editing/SameTimeDuplicates.h"
#include "commonobjects/editing/SlotOffset.h"
#include "commonobjects/editing/Thinning.h"

#include "commonobjects/presentation/EventNameTables.h"
#include "commonobjects/presentation/StringResources.h"
#include "commonobjects/presentation/TemplateSnapAutoEvent.h"
#include "commonobjects/presentation/ValueTables.h"
#include "commonobjects/presentation/ValueTextNotSupported.h"

#include "commonobjects/files/CompressedAutoFile.h"
