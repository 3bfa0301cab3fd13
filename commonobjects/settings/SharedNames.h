// SharedNames: the names that the library and its hosts agree on: window classes, program
// names, registered message names, registry keys and value names, and the display names
// of input/output systems and surround formats.
//
// Every name is a compile-time constant with the exact bytes the hosts compare against
// (some spellings are historic and must stay, e.g. "Automation Event Notication").
// Nothing here changes at run time, so everything is safe to read from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace SharedNames {

// ---- Window classes: the library posts status notifications to these ----
inline constexpr char kUniqueWindowClass[] = "TavmirUniqueClass";  // host main window
inline constexpr char kStatusWindowClass[] = "TavmirStatusWindow";  // host status window

// ---- Host programs: one name per program, and one for all console programs ----
inline constexpr char kAutomationProgram[] = "AutomationQRX";
inline constexpr char kFilerProgram[] = "FilerQRX";
inline constexpr char kAllocatorProgram[] = "AllocateQRX";
inline constexpr char kAssignerProgram[] = "AssignXQRX";
inline constexpr char kAllConsolePrograms[] = "AllConsoleAppsQRX";

// ---- Messages and keywords ----
inline constexpr char kServerStatusMessage[] = "QENStatusMessage";
inline constexpr char kUseCurrentAutomation[] = "USE_CURRENT_AUTOMATION";  // mix selection
// Registered when the library loads; the library itself posts nothing under it.
inline constexpr char kMixHasDifferentFrameRateMessage[] = "MixHasDifferentFrameRate";
inline constexpr char kAutomationEventNotificationMessage[] = "Automation Event Notication";
inline constexpr char kAutomationNeedsStatusMessage[] = "Automation Needs Status";

// ---- Registry keys used across the library (key paths under a root, no leading '\') ----
// The console server: link settings, "CardLinkType", "Version".
inline constexpr char kConsoleServerKey[] = "SOFTWARE\\QRXTARN\\QENSERVER";
// The console configuration and "Max Paths Mode" (key names ignore case).
inline constexpr char kConsoleSettingsKey[] = "Software\\QRX Tarn Tavmir\\Main";
// Holds "Value", the transputer delay.
inline constexpr char kTransputerDelayKey[] = "SOFTWARE\\QRX Tarn\\TransputerDelay";

// ---- Screen locations of the hosts' windows (keys end in '\') ----
inline constexpr char kStandardDisplayLocationKey[] =
    "SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\Screen location\\Standard Display\\";
inline constexpr char kLargeDisplayLocationKey[] =
    "SOFTWARE\\QRXTARN\\QRX Tarn Tavmir\\Screen location\\Large Display\\";
inline constexpr char kLocationMonitorValue[] = "Monitor";
inline constexpr char kLocationTopValue[] = "Top";
inline constexpr char kLocationLeftValue[] = "Left";
inline constexpr char kLocationBottomValue[] = "Bottom";
inline constexpr char kLocationRightValue[] = "Right";

// ---- Input/output systems a console can be fitted with, by index 0 to 8 ----
inline constexpr int32_t kInputOutputSystemCount = 9;
inline constexpr int32_t kUndefinedInputOutputSystem = 8;
inline constexpr std::array<std::string_view, kInputOutputSystemCount> kInputOutputSystemNames = {
    "Analogue", "AES/EBU", "MADI", "SDIF-2", "TDIF", "ADAT", "Dolby E", "Network Audio",
    "Undefined"};

// ---- Surround formats, by index 0 to 7 ----
inline constexpr int32_t kSurroundFormatCount = 8;
inline constexpr std::array<std::string_view, kSurroundFormatCount> kSurroundFormatNames = {
    "Mono", "Stereo", "LCRS", "5.1", "6.1", "7.1", "5.1 (8 Films)", "6.1 (8 Films)"};

// The display name of an input/output system; "Undefined" for any index outside 0 to 8.
std::string_view InputOutputSystemName(int32_t index);
// The name of a surround format; the empty string for any index outside 0 to 7.
std::string_view SurroundFormatName(int32_t index);

}  // namespace SharedNames
