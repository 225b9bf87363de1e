#include "platform/settings_folder.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace settings_folder {

namespace {

// Links followed from the settings file to the file a write replaces, as the kernel allows.
constexpr int kMaxLinkHops = 40;

// A folder that nobody but the user may change (a group-writable one counts when the group is
// the user's own); with `stickyWillDo`, also a sticky one, where others cannot remove or rename
// what the user made.
bool IsOwnFolder(const std::string& folder, bool stickyWillDo)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) return false;
    const bool othersWrite = (st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && st.st_gid != ::getegid());
    return (st.st_uid == ::geteuid() && !othersWrite) || (stickyWillDo && (st.st_mode & S_ISVTX) != 0);
}

// Where `path`'s chain of symbolic links ends (`path` itself when it is none), each link followed
// as the kernel's protected-link rule would: the user's own, in a folder that nobody else may
// change or a sticky one. A link planted by another user (in a shared HOME, a mode-0777 folder)
// once made a run as root overwrite a root-only file, make one in a root-only folder, or turn a
// device into a file. nullptr when the end is reached so, else why not.
const char* FollowLinks(std::string path, std::string& end, int& hops)
{
    for (hops = 0; hops < kMaxLinkHops; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            end = path;
            return nullptr;
        }
        if (st.st_uid != ::geteuid() || !IsOwnFolder(FolderOf(path), true))
            return "is a link that another user owns or could have replaced";
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof link) return "is a link that cannot be read";
        const std::string next(link, static_cast<size_t>(n));
        path = next.front() == '/' ? next : FolderOf(path) + "/" + next;
    }
    return "is a loop of links";
}

// A folder on the way to the settings: the user's own, and one that nobody else may change
// where a link leads to it. `real` is where its links end; `missing` when nothing is there.
const char* CheckFolder(const std::string& path, std::string& real, bool& missing)
{
    int hops = 0;
    if (const char* refused = FollowLinks(path, real, hops)) return refused;
    struct stat st;
    missing = ::lstat(real.c_str(), &st) != 0 && errno == ENOENT;
    if (missing) return nullptr;
    if (!S_ISDIR(st.st_mode)) return "is no folder";
    if (st.st_uid != ::geteuid()) return "belongs to another user";
    return hops == 0 || IsOwnFolder(real, false) ? nullptr : "is a link to a folder that others may change";
}

// Root with another user's HOME (sudo -E): SDL made ~/.local/share root's, locking the user out,
// so nothing is made or written there.
bool IsRootInAnotherUsersHome()
{
    const char* home = std::getenv("HOME");
    struct stat st;
    return ::geteuid() == 0 && home != nullptr && ::stat(home, &st) == 0 && st.st_uid != 0;
}

}  // namespace

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, std::max<size_t>(slash, 1));
}

// The file that a write of `path` replaces: where its links end (a settings file kept in a
// dotfiles folder stays a link to it). There the new file is made in the target's folder: the
// user's own file, or none yet, in a folder of the user's own.
const char* FinalTarget(const std::string& path, std::string& target)
{
    int hops = 0;
    if (const char* refused = FollowLinks(path, target, hops)) return refused;
    struct stat st;
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    const bool ownFile = !exists || (S_ISREG(st.st_mode) && st.st_uid == ::geteuid());
    return hops == 0 || (ownFile && IsOwnFolder(FolderOf(target), false))
               ? nullptr
               : "is a link to what is not this user's own file in a folder of their own";
}

// The data folder the settings folder lies in: XDG_DATA_HOME when absolute (an empty or
// relative one counts as unset, as the XDG rules say), else HOME's; "" when neither is set.
std::string DataHome()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::string base;
    if (dataHome != nullptr && dataHome[0] == '/') base = dataHome;
    else if (home != nullptr && home[0] != '\0') base = std::string(home) + "/.local/share";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base;
}

// Every folder from the data folder down to `folder` (only `folder` itself where it lies
// elsewhere) passes CheckFolder: a user's link on the way (~/.local/share/Tamberlo -> /etc)
// made root write, delete and make folders where it led. Run as root with a HOME of another
// user's (sudo -E), nothing is written at all. False, with the folder and why, when refused;
// `missing` when the way ends before `folder`, all that exists being fine.
bool CheckWay(std::string folder, std::string& at, const char*& why, bool& missing)
{
    if (IsRootInAnotherUsersHome()) {
        at = std::getenv("HOME");
        why = "belongs to another user";
        return false;
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const std::string base = DataHome();
    const bool inBase = !base.empty() && folder.compare(0, base.size() + 1, base + "/") == 0;
    size_t done = inBase ? base.size() : folder.size();
    at = folder.substr(0, done);
    std::string real;
    while ((why = CheckFolder(at, real, missing)) == nullptr && !missing && done < folder.size()) {
        const size_t next = std::min(folder.find('/', done + 1), folder.size());
        at = real + folder.substr(done, next - done);
        done = next;
    }
    return why == nullptr;
}

// Where the way to the folder ends before it, folders are made only under the nearest one that
// exists being the user's own: run as root with another user's HOME (sudo -E), SDL made
// ~/.local/share owned by root, locking the user out.
bool MayMakeFoldersFor(std::string folder)
{
    std::string at;
    const char* why = nullptr;
    bool missing = false;
    if (!CheckWay(folder, at, why, missing)) return false;
    struct stat st;
    while (::stat(folder.c_str(), &st) != 0) {
        if (errno != ENOENT) return false;
        folder = FolderOf(folder);
    }
    return st.st_uid == ::geteuid();
}

// SDL's per-user folder. An empty or relative XDG_DATA_HOME counts as unset, as the XDG rules
// say: SDL would take it as it stands and make the folder at the root of the file system or
// in the working folder.
std::string PrefPath(const char* company, const char* application)
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const std::string saved = dataHome != nullptr ? dataHome : "";
    if (dataHome != nullptr && dataHome[0] != '/') ::unsetenv("XDG_DATA_HOME");
    char* pref = SDL_GetPrefPath(company, application);
    if (dataHome != nullptr) ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    std::string folder = pref != nullptr ? pref : "";
    SDL_free(pref);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace settings_folder
