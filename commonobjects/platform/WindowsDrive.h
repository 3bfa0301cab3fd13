// The Windows drive: where paths such as "C:\Tavmir\tcerr.txt" live on this machine.
//
// The machine has one Windows drive, C:, which is also the drive of the Windows directory.
// It is the folder named by COMMONOBJECTS_ROOT; when that is unset or empty,
// $XDG_DATA_HOME/commonobjects/root (XDG_DATA_HOME only when absolute), else
// ~/.local/share/commonobjects/root. The variables are read at every call.
//
// MapWindowsPath turns a path as the library spells it into a native path:
//  - "C:\a\b" and "c:/a/b" -> "<root>/a/b"; "C:" and "C:\" -> "<root>"; "C:a" -> "<root>/a";
//  - "\a\b" (rooted on the current drive, which is C:) -> "<root>/a/b";
//  - in those drive paths "." is dropped and ".." goes up one folder but never above the
//    root, and repeated separators count as one, so a mapped drive path stays in the root;
//  - other drive letters ("D:\x") and UNC paths ("\\server\share\x", "\\?\C:\x") name no
//    folder here: they map to the empty path, which every file operation reports as not found;
//  - any other path is native or relative: it keeps its form, with backslashes turned into
//    slashes ("edl files\a.edl" -> "edl files/a.edl", "/home/a" unchanged).
// Components keep their spelling (case included). Mapping creates no folder. Thread-safe.
#pragma once

#include <string>

namespace commonobjects::platform {

// The Windows directory: always "C:\WINDOWS".
std::string GetWindowsDirectory();

// The native folder that holds the Windows drive, without a trailing slash.
std::string WindowsDriveRoot();

// The native path of a Windows path (rules above).
std::string MapWindowsPath(const std::string& path);

}  // namespace commonobjects::platform
