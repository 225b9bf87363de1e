#pragma once

#include <string>

// The per-user settings file standing in for the registry's profile keys:
// <folder>/settings.ini, with "[Section]" headers and "entry=value" lines.
// Section and entry names compare case-insensitively, as registry names do.
class ProfileStore {
public:
    explicit ProfileStore(std::string folder);  // folder may be "" (no usable folder)

    // SDL_GetPrefPath(company, application), without its trailing slash: creates the folder when
    // missing, unless the way to it is refused as a write's is (below); "" when it can be neither
    // made nor entered (no HOME, ...). A read-only folder, or another user's, is still returned,
    // for reading. An empty or relative XDG_DATA_HOME counts as unset.
    static std::string DefaultFolder(const char* company, const char* application);

    std::string FilePath() const;  // folder + "/settings.ini" ("" when no folder)

    // The entry's value as a signed 32-bit integer, or defaultValue when the file, section or entry is
    // missing, unreadable, larger than 64 KiB, not text, or the value is not a whole decimal number
    // that fits into 32 bits (blanks around it, and a comment after it, are allowed). Lines end in
    // LF, CR LF or CR.
    int GetInt(const char* section, const char* entry, int defaultValue) const;

    // Sets entry=value in the section, keeping every other line of the file, and a comment after
    // the old value. The new file is written beside the old one, synced and renamed over it, so
    // the old file stays intact on any failure; a settings.ini that is a symbolic link is written
    // through to its target when the kernel's protected-link rule would follow it. Every folder
    // from the data folder down must be the user's own, reached through no link that rule would
    // refuse; run as root with a HOME of another user's, nothing is written. The new file is
    // always readable and writable by its owner, and temporaries that killed writers left are
    // removed. A file that is larger than 64 KiB or not text is the player's and is left alone.
    // False on failure, with one line on standard error (not repeated for the same failure) unless
    // the names are bad.
    bool WriteInt(const char* section, const char* entry, int value);

    static constexpr size_t kMaxFileSize = 64 * 1024;

private:
    std::string folder_;
};
