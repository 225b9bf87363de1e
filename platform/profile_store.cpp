#include "platform/profile_store.h"

#include <SDL.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr const char* kFileName = "settings.ini";

// A file the program writes stays readable and writable by its owner: copying a mode of 000
// from the old file made every later start read the default level, and lose it for good.
constexpr mode_t kOwnerReadWrite = S_IRUSR | S_IWUSR;

// Links followed from the settings file to the file a write replaces, as the kernel allows.
constexpr int kMaxLinkHops = 40;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// A name must survive a write and a read unchanged: no line breaks, no blanks at either end,
// and nothing that the parser would take for a header, a comment or the '=' separator.
bool IsValidName(const char* name, bool isSection)
{
    if (name == nullptr || name[0] == '\0') return false;
    std::string_view s(name);
    if (IsBlank(s.front()) || IsBlank(s.back())) return false;
    // Control bytes would make the written file fail the text check of the next read.
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return false;
    if (isSection) return s.find(']') == std::string_view::npos;
    return s.find('=') == std::string_view::npos && s.front() != '[' && s.front() != ';' &&
           s.front() != '#';
}

// Text files only: a control byte other than tab and line ends means this is not a settings file.
bool LooksLikeText(const std::string& data)
{
    for (unsigned char c : data)
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
    return true;
}

// Reads the whole file, bounded. False when it is missing, not a regular file, unreadable,
// larger than the limit or not text.
bool ReadSettingsFile(const std::string& path, std::string& out)
{
    out.clear();
    if (path.empty()) return false;
    // O_NONBLOCK so that a FIFO in the file's place cannot block the open; it is refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = false;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<uint64_t>(st.st_size) <= ProfileStore::kMaxFileSize) {
        // Read one byte past the limit so that a file that grew after fstat is still caught.
        std::string buffer(ProfileStore::kMaxFileSize + 1, '\0');
        size_t total = 0;
        ok = true;
        while (total < buffer.size()) {
            ssize_t n = ::read(fd, &buffer[total], buffer.size() - total);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) { ok = false; break; }
            if (n == 0) break;
            total += static_cast<size_t>(n);
        }
        if (ok && total <= ProfileStore::kMaxFileSize) {
            buffer.resize(total);
            out = std::move(buffer);
        } else {
            ok = false;
        }
    }
    ::close(fd);
    if (ok && !LooksLikeText(out)) ok = false;
    if (!ok) out.clear();
    return ok;
}

std::vector<std::string_view> SplitLines(std::string_view data)
{
    std::vector<std::string_view> lines;
    while (!data.empty()) {
        size_t end = data.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(data);
            break;
        }
        lines.push_back(data.substr(0, end));
        data.remove_prefix(end + 1);
    }
    return lines;
}

// The line without a UTF-8 byte order mark that an editor may have put before the first line.
std::string_view WithoutBom(std::string_view line)
{
    if (line.size() >= 3 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    return line;
}

// "[name]" -> name (trimmed); false for any other line.
bool ParseSectionHeader(std::string_view line, std::string_view& name)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

// "key = value" -> key, value (both trimmed); false for blank lines, comments and lines without '='.
bool ParseEntry(std::string_view line, std::string_view& key, std::string_view& value)
{
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') return false;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return true;
}

// A whole decimal number within the signed 32-bit range, with an optional sign.
bool ParseInt32(std::string_view text, int& result)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t(INT32_MAX) + 1) return false;   // stops long digit runs early
    }
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) return false;
    result = static_cast<int>(signedValue);
    return true;
}

// Where a section and an entry sit among the lines; -1 when absent.
struct Location {
    long sectionLine = -1;
    long entryLine = -1;
    long lastContentLine = -1;   // last non-blank line of the section (the header at least)
};

Location Locate(const std::vector<std::string_view>& lines, std::string_view section,
                std::string_view entry)
{
    Location loc;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = i == 0 ? WithoutBom(lines[i]) : lines[i];
        std::string_view name;
        if (ParseSectionHeader(line, name)) {
            if (inSection) break;   // the first matching section is the one that counts
            if (EqualsNoCase(name, section)) {
                inSection = true;
                loc.sectionLine = loc.lastContentLine = static_cast<long>(i);
            }
            continue;
        }
        if (!inSection) continue;
        if (!Trim(line).empty()) loc.lastContentLine = static_cast<long>(i);
        std::string_view key, value;
        if (loc.entryLine < 0 && ParseEntry(line, key, value) && EqualsNoCase(key, entry))
            loc.entryLine = static_cast<long>(i);
    }
    return loc;
}

bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file that a write of `path` replaces: where its chain of symbolic links ends (a settings
// file kept in a dotfiles folder stays a link to it), else `path` itself. False for a loop.
bool FinalTarget(std::string path, std::string& target)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = path;
            return true;
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof link) return false;
        std::string next(link, static_cast<size_t>(n));
        path = next.front() == '/' ? next : FolderOf(path) + "/" + next;
    }
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
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) return false;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
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
        ::close(fd);   // another writer's clean-up took it between mkstemp and the lock: it removes it
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
        if (!IsTemporaryName(entry->d_name, prefix)) continue;
        const std::string path = folder + "/" + entry->d_name;
        if (path == own) continue;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            IsSameFile(fd, path))
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

// Writes the data to a locked temporary file beside `path`, syncs it and renames it over `path`.
// On any failure the temporary file is removed and `path` is left as it was.
bool ReplaceFileAtomically(const std::string& path, const std::string& data)
{
    const std::string folder = FolderOf(path);
    std::string tempPath;
    const int fd = CreateLockedTemporary(folder, BaseNameOf(path), tempPath);
    if (fd < 0) return false;
    RemoveStaleTemporaries(folder, BaseNameOf(path), tempPath);

    bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
    struct stat old;
    if (ok && ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        (void)::fchmod(fd, (old.st_mode & 07777) | kOwnerReadWrite);   // the user's permissions, usable
    // Renamed while still open and locked, so no clean-up can take it away in between.
    if (ok && ::rename(tempPath.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tempPath.c_str());
    ::close(fd);
    if (!ok) return false;
    // Make the rename itself durable; the data is already safe, so failure here is not reported.
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

// SDL's per-user folder. An empty or relative XDG_DATA_HOME counts as unset, as the XDG rules
// say: SDL would take it as it stands and make the folder at the root of the file system or
// in the working folder.
char* PrefPath(const char* company, const char* application)
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome == nullptr || dataHome[0] == '/') return SDL_GetPrefPath(company, application);
    const std::string saved = dataHome;
    ::unsetenv("XDG_DATA_HOME");
    char* pref = SDL_GetPrefPath(company, application);
    ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    return pref;
}

}  // namespace

ProfileStore::ProfileStore(std::string folder) : folder_(std::move(folder)) {}

std::string ProfileStore::DefaultFolder(const char* company, const char* application)
{
    if (company == nullptr || application == nullptr || application[0] == '\0') return "";
    char* pref = PrefPath(company, application);
    if (pref == nullptr) return "";
    std::string folder(pref);
    SDL_free(pref);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    // Reading needs only a way into the folder: a read-only one still gives the stored level.
    if (folder.empty() || ::access(folder.c_str(), X_OK) != 0) return "";
    return folder;
}

const std::string& ProfileStore::Folder() const { return folder_; }

std::string ProfileStore::FilePath() const
{
    if (folder_.empty()) return "";
    return folder_ + (folder_.back() == '/' ? "" : "/") + kFileName;
}

int ProfileStore::GetInt(const char* section, const char* entry, int defaultValue) const
{
    if (!IsValidName(section, true) || !IsValidName(entry, false)) return defaultValue;
    std::string data;
    if (!ReadSettingsFile(FilePath(), data)) return defaultValue;
    std::vector<std::string_view> lines = SplitLines(data);
    Location loc = Locate(lines, section, entry);
    if (loc.entryLine < 0) return defaultValue;
    std::string_view key, value;
    ParseEntry(lines[static_cast<size_t>(loc.entryLine)], key, value);
    int result;
    return ParseInt32(value, result) ? result : defaultValue;
}

bool ProfileStore::WriteInt(const char* section, const char* entry, int value)
{
    if (folder_.empty() || !IsValidName(section, true) || !IsValidName(entry, false)) return false;
    const std::string path = FilePath();

    std::string old;
    if (!ReadSettingsFile(path, old)) old.clear();   // an unusable file is replaced by a fresh one
    std::vector<std::string_view> lines = SplitLines(old);

    // New lines follow the file's own line ends.
    const bool crlf = !lines.empty() && !lines[0].empty() && lines[0].back() == '\r';
    const std::string eol = crlf ? "\r\n" : "\n";
    const std::string entryLine = std::string(entry) + "=" + std::to_string(value) + eol;

    Location loc = Locate(lines, section, entry);
    std::string out;
    out.reserve(old.size() + entryLine.size() + 64);
    for (size_t i = 0; i < lines.size(); ++i) {
        const long index = static_cast<long>(i);
        if (index == loc.entryLine) {
            out += entryLine;
            continue;
        }
        out.append(lines[i].data(), lines[i].size());
        out += '\n';
        if (loc.entryLine < 0 && index == loc.lastContentLine) out += entryLine;
    }
    if (loc.sectionLine < 0) out += "[" + std::string(section) + "]" + eol + entryLine;
    // What the program writes, it must read back: a file past the read limit would be rejected
    // at the next start and rewritten at the next exit with every other line lost.
    if (out.size() > kMaxFileSize) return false;

    std::string target;
    return FinalTarget(path, target) && ReplaceFileAtomically(target, out);
}
