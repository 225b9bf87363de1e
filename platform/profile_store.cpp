#include "platform/profile_store.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/browser_storage.h"
#include "platform/settings_folder.h"

namespace {

using settings_folder::CheckWay;
using settings_folder::DataHome;
using settings_folder::FolderOf;

constexpr const char* kFileName = "settings.ini";

// A file the program writes stays readable and writable by its owner: copying a mode of 000
// from the old file made every later start read the default level, and lose it for good.
constexpr mode_t kOwnerReadWrite = S_IRUSR | S_IWUSR;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// A name must survive a write and a read unchanged: no line breaks, no blanks at either end,
// and nothing that the parser would take for a header, a comment or the '=' separator.
bool IsValidName(const char* name, bool isSection)
{
    if (name == nullptr || name[0] == '\0') return false;
    std::string_view s(name);
    if (IsBlank(s.front()) || IsBlank(s.back())) return false;
    // Control bytes would make the written file fail the text check of the next read.
    if (std::any_of(s.begin(), s.end(), [](unsigned char c) { return c < 0x20 && c != '\t'; })) return false;
    if (isSection) return s.find(']') == std::string_view::npos;
    return s.find('=') == std::string_view::npos && s.front() != '[' && s.front() != ';' && s.front() != '#';
}

// Text files only: a control byte other than tab and line ends means this is not a settings file.
bool LooksLikeText(const std::string& data)
{
    return std::none_of(data.begin(), data.end(),
                        [](unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; });
}

// What a read found: nothing to keep (no file, or none this user may read, or no regular
// file), the text, or a file that is the player's and not the game's to replace.
enum class Content { kNone, kText, kForeign, kUnreadable };

// A file there that its own user may not read (mode 000 or 0200) was taken for none and replaced
// with the level alone: it is the player's, as a file the game cannot read is.
bool IsRefusedRead(int error)
{
    return error == EACCES || error == EPERM;
}

// Reads the whole file, bounded. kForeign for a file larger than the limit or not text: an
// editor's UTF-16 or a stray NUL once made the next write replace the player's whole file.
Content ReadSettingsFile(const std::string& path, std::string& out)
{
    // O_NONBLOCK so that a FIFO in the file's place cannot block the open; it is refused below.
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    size_t total = 0;
    ssize_t n = -1;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // One byte past the limit, so that a file that is too large, or grows while read, shows.
        out.assign(ProfileStore::kMaxFileSize + 1, '\0');
        while (total < out.size() &&
               ((n = ::read(fd, &out[total], out.size() - total)) > 0 || (n < 0 && errno == EINTR)))
            total += static_cast<size_t>(std::max<ssize_t>(n, 0));
    }
    if (fd < 0 && !path.empty() && IsRefusedRead(errno)) return Content::kUnreadable;
    if (fd >= 0) ::close(fd);
    out.resize(total);
    const bool text = total <= ProfileStore::kMaxFileSize && LooksLikeText(out);
    const Content found = n < 0 ? Content::kNone : (text ? Content::kText : Content::kForeign);
    if (found != Content::kText) out.clear();
    return found;
}

// A file the game cannot read is the player's: left as it is, the level kept for the session.
// The next save once replaced it whole. nullptr for a file the game may rewrite.
const char* WhyLeftAsItIs(Content found)
{
    if (found == Content::kForeign) return "is larger than 64 KiB or not text, and is left as it is";
    return found == Content::kUnreadable ? "cannot be read, and is left as it is" : nullptr;
}

// What the program writes, it must read back: a file past the read limit would be rejected at
// the next start, and the level was once left unsaved here without a word. The player's other
// lines are theirs to shorten.
bool GrowsPastTheReadLimit(const std::string& file)
{
    return file.size() > ProfileStore::kMaxFileSize;
}

// Lines with their ends: LF, CR LF, or CR alone as an older editor writes them.
std::vector<std::string_view> SplitLines(std::string_view data)
{
    std::vector<std::string_view> lines;
    while (!data.empty()) {
        size_t end = std::min(data.find_first_of("\r\n"), data.size());
        end += end < data.size() ? (data.compare(end, 2, "\r\n") == 0 ? 2 : 1) : 0;
        lines.push_back(data.substr(0, end));
        data.remove_prefix(end);
    }
    return lines;
}

std::string_view WithoutEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

// A whole decimal number within the signed 32-bit range, with an optional sign.
bool ParseInt32(std::string_view text, int& result)
{
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const std::from_chars_result parsed = std::from_chars(text.data(), end, result);
    return parsed.ec == std::errc() && parsed.ptr == end;
}

// Where an entry and the end of its section sit among the lines; -1 when absent.
struct Location {
    long entryLine = -1;
    long lastContentLine = -1;  // last non-blank line of the section (the header at least)
    std::string_view value;     // the entry's, trimmed
    std::string_view comment;   // what follows the value from its ';' or '#' on, if anything
};

// Sections are "[name]" lines; entries "key = value" lines; lines that start with ';' or '#' are
// comments, and so is the rest of an entry's line from a ';' or '#' on ("level=12 ; hard", as
// people write by hand; the file's values are numbers, so neither sign belongs to one).
// Names and values are trimmed.
Location Locate(const std::vector<std::string_view>& lines, std::string_view section, std::string_view entry)
{
    Location loc;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        // A UTF-8 byte order mark that an editor may have put before the first line.
        if (i == 0 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        line = Trim(WithoutEnd(line));
        const size_t close = line.find(']');
        if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
            if (inSection) break;  // the first matching section is the one that counts
            inSection = EqualsNoCase(Trim(line.substr(1, close - 1)), section);
            if (inSection) loc.lastContentLine = static_cast<long>(i);
        } else if (inSection && !line.empty()) {
            loc.lastContentLine = static_cast<long>(i);
            const size_t eq = line.find('=');
            const bool isEntry = eq != std::string_view::npos && line.front() != ';' && line.front() != '#';
            if (loc.entryLine < 0 && isEntry && EqualsNoCase(Trim(line.substr(0, eq)), entry)) {
                loc.entryLine = static_cast<long>(i);
                const std::string_view rest = line.substr(eq + 1);
                const size_t comment = std::min(rest.find_first_of(";#"), rest.size());
                loc.value = Trim(rest.substr(0, comment));
                loc.comment = rest.substr(comment);
            }
        }
    }
    return loc;
}

bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    ssize_t n = 0;
    while (done < data.size() &&
           ((n = ::write(fd, data.data() + done, data.size() - done)) > 0 || (n < 0 && errno == EINTR)))
        done += static_cast<size_t>(std::max<ssize_t>(n, 0));
    return done == data.size();
}

std::string BaseNameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

// The last failure said, until a write succeeds; never destroyed, as the last write runs at exit.
std::string& gSaid = *new std::string;

// A write that cannot be made: the value stays in memory only, and the player learns why in one
// line on standard error; the same failure again (each round's end, then the exit) says no more.
bool NotSaved(const char* entry, const std::string& path, const std::string& why)
{
    std::string& said = gSaid;
    const std::string text = std::string(entry) + " is not saved: " + path + (path.empty() ? "" : " ") + why;
    if (text != said) std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.c_str());
    said = text;
    return false;
}

bool IsSameFile(int fd, const std::string& path)
{
    struct stat opened, named;
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// ".<base>." followed by the six letters or digits that mkstemp puts in.
bool IsTemporaryName(const std::string& name, const std::string& prefix)
{
    return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
           name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", prefix.size()) ==
               std::string::npos;
}

// A temporary file beside the target, locked for as long as this process writes it: a later
// write can then tell what a killed writer left (unlocked) from a write in progress (locked).
int CreateLockedTemporary(const std::string& folder, const std::string& base, std::string& tempPath)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        tempPath = folder + "/." + base + ".XXXXXX";
        const int fd = ::mkstemp(&tempPath[0]);
        if (fd < 0) return -1;
        const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        // A file system without locks lets no clean-up take the file either: write it unlocked.
        if (!locked && errno != EWOULDBLOCK) return fd;
        if (locked && IsSameFile(fd, tempPath)) return fd;
        ::close(fd);  // another writer's clean-up took it between mkstemp and the lock: it removes it
    }
    return -1;
}

// A process killed part-way through a write leaves its empty temporary file behind for ever:
// the next write removes every such file that no live writer holds locked.
void RemoveStaleTemporaries(const std::string& folder, const std::string& base, const std::string& own)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    const std::string prefix = "." + base + ".";
    while (const dirent* entry = ::readdir(dir)) {
        const std::string path = folder + "/" + entry->d_name;
        if (!IsTemporaryName(entry->d_name, prefix) || path == own) continue;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && IsSameFile(fd, path))
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

// Writes the data to a locked temporary file beside `path`, syncs it and renames it over `path`.
// On any failure the temporary file is removed and `path` is left as it was. 0, or the error.
int ReplaceFileAtomically(const std::string& path, const std::string& data)
{
    const std::string folder = FolderOf(path);
    std::string tempPath;
    const int fd = CreateLockedTemporary(folder, BaseNameOf(path), tempPath);
    if (fd < 0) return errno != 0 ? errno : EEXIST;
    RemoveStaleTemporaries(folder, BaseNameOf(path), tempPath);

    bool ok = WriteAll(fd, data) && platform::SyncFile(fd);
    struct stat old;
    if (ok && ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        (void)::fchmod(fd, (old.st_mode & 07777) | kOwnerReadWrite);  // the user's permissions, usable
    // Renamed while still open and locked, so no clean-up can take it away in between.
    ok = ok && ::rename(tempPath.c_str(), path.c_str()) == 0;
    const int error = ok ? 0 : (errno != 0 ? errno : EIO);
    if (!ok) ::unlink(tempPath.c_str());
    ::close(fd);
    // Make the rename itself durable; the data is already safe, so failure here is not reported.
    const int folderFd = ok ? ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    if (folderFd >= 0) {
        (void)platform::SyncFile(folderFd);
        ::close(folderFd);
    }
    return error;
}

std::string FilePathIn(const std::string& folder)
{
    if (folder.empty()) return "";
    return folder + (folder.back() == '/' ? "" : "/") + kFileName;
}

// The end of the file's first line, which new lines follow; LF in a new file.
std::string_view LineEnd(const std::vector<std::string_view>& lines)
{
    const std::string_view end = lines.empty() ? "" : lines[0].substr(WithoutEnd(lines[0]).size());
    return end.empty() ? "\n" : end;
}

// The file that entry=value in the section makes of the one in `folder`: every other line kept,
// and a comment after the old value. False, with one line on standard error unless the names are
// bad, when it may not be written: `target` is then where it would go.
bool Render(const std::string& folder, const char* section, const char* entry, int value, std::string& target,
            std::string& out)
{
    if (!IsValidName(section, true) || !IsValidName(entry, false)) return false;
    std::string at;
    const char* why = nullptr;
    bool missing = false;
    if (folder.empty() && DataHome().empty()) return NotSaved(entry, "", "has no folder to go in (no HOME)");
    if (folder.empty() && !CheckWay(DataHome(), at, why, missing)) return NotSaved(entry, at, why);
    if (folder.empty()) return NotSaved(entry, DataHome(), "holds no folder for it, and none could be made");
    if (!CheckWay(folder, at, why, missing)) return NotSaved(entry, at, why);
    if (missing) return NotSaved(entry, at, "is missing");
    const std::string path = FilePathIn(folder);
    std::string old;
    if (const char* why = WhyLeftAsItIs(ReadSettingsFile(path, old))) return NotSaved(entry, path, why);
    const std::vector<std::string_view> lines = SplitLines(old);
    const std::string_view eol = LineEnd(lines);
    const Location loc = Locate(lines, section, entry);
    const std::string entryText =
        std::string(entry) + "=" + std::to_string(value) + (loc.comment.empty() ? "" : " ") + std::string(loc.comment);
    out.clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        const long index = static_cast<long>(i);
        const std::string_view text = WithoutEnd(lines[i]);
        const std::string_view end = lines[i].size() > text.size() ? lines[i].substr(text.size()) : eol;
        out += index == loc.entryLine ? std::string_view(entryText) : text;
        out += end;
        if (loc.entryLine < 0 && index == loc.lastContentLine) (out += entryText) += eol;
    }
    if (loc.lastContentLine < 0) ((((out += "[") += section) += "]") += eol) += entryText, out += eol;
    if (GrowsPastTheReadLimit(out))
        return NotSaved(entry, path,
                        "would grow past the 64 KiB a settings file may have; remove some of its other lines");
    const char* refused = settings_folder::FinalTarget(path, target);
    return refused == nullptr || NotSaved(entry, path, refused);
}

}  // namespace

ProfileStore::ProfileStore(std::string folder) : folder_(std::move(folder)) {}

std::string ProfileStore::DefaultFolder(const char* company, const char* application)
{
    if (company == nullptr || application == nullptr || application[0] == '\0') return "";
    // Where SDL puts it, worked out first so that nothing is made in another user's HOME.
    const std::string base = DataHome();
    if (base.empty()) return "";
    std::string folder = base + "/" + company + "/" + application;
    if (settings_folder::MayMakeFoldersFor(folder)) folder = settings_folder::PrefPath(company, application);
    // Reading needs only a way into the folder: a read-only one still gives the stored level.
    return !folder.empty() && ::access(folder.c_str(), X_OK) == 0 ? folder : "";
}

std::string ProfileStore::FilePath() const
{
    return FilePathIn(folder_);
}

int ProfileStore::GetInt(const char* section, const char* entry, int defaultValue) const
{
    std::string data;
    if (!IsValidName(section, true) || !IsValidName(entry, false) ||
        ReadSettingsFile(FilePath(), data) != Content::kText)
        return defaultValue;
    const Location loc = Locate(SplitLines(data), section, entry);
    int result;
    return loc.entryLine >= 0 && ParseInt32(loc.value, result) ? result : defaultValue;
}

bool ProfileStore::WriteInt(const char* section, const char* entry, int value)
{
    try {
        std::string target, out;
        if (!Render(folder_, section, entry, value, target, out)) return false;
        if (const int error = ReplaceFileAtomically(target, out))
            return NotSaved(entry, target, std::string("could not be written: ") + std::strerror(error));
        gSaid.clear();
        return true;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: %s is not saved: out of memory\n", program_invocation_short_name, entry);
        return false;
    }
}
