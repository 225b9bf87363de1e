#pragma once

// Where the settings file may be written, and where it may not. It guards the player against
// what a write could do on their behalf: every folder from the data folder down must be the
// user's own; a symbolic link on the way, or the settings file as a link, is followed only as
// the kernel's protected-link rule would follow it; and run as root with a HOME of another
// user's (sudo -E), nothing is written or made there.

#include <string>

namespace settings_folder {

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path);
// The data folder the settings folder lies in: XDG_DATA_HOME when absolute (an empty or
// relative one counts as unset, as the XDG rules say), else HOME's; "" when neither is set.
std::string DataHome();
// Every folder from the data folder down to `folder` (only `folder` itself where it lies
// elsewhere) is the user's own, reached through no refused link. False, with the folder and
// why, when refused; `missing` when the way ends before `folder`, all that exists being fine.
bool CheckWay(std::string folder, std::string& at, const char*& why, bool& missing);
// The file that a write of `path` replaces, where its links end: nullptr, or why it may not be.
const char* FinalTarget(const std::string& path, std::string& target);
// Whether missing folders down to `folder` may be made: only under the user's own.
bool MayMakeFoldersFor(std::string folder);
// SDL's per-user folder for the company and application, made if missing, without its slash.
std::string PrefPath(const char* company, const char* application);

}  // namespace settings_folder
