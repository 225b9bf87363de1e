#pragma once

#include <string>

// The per-user settings file standing in for the registry's profile keys:
// <folder>/settings.ini, with "[Section]" headers and "entry=value" lines.
// Section and entry names compare case-insensitively, as registry names do.
class ProfileStore {
public:
    explicit ProfileStore(std::string folder);   // folder may be "" (no usable folder)

    // SDL_GetPrefPath(company, application), without its trailing slash: creates the folder when
    // missing, unless the nearest folder on its way belongs to another user (root run with a
    // user's HOME); "" when it can be neither made nor entered (no HOME, ...). A read-only folder,
    // or another user's, is still returned, for reading. An empty or relative XDG_DATA_HOME
    // counts as unset.
    static std::string DefaultFolder(const char* company, const char* application);

    std::string FilePath() const;                 // folder + "/settings.ini" ("" when no folder)

    // The entry's value as a signed 32-bit integer, or defaultValue when the file, section or entry is
    // missing, unreadable, larger than 64 KiB, not text, or the value is not a whole decimal number
    // that fits into 32 bits (blanks around it are allowed).
    int GetInt(const char* section, const char* entry, int defaultValue) const;

    // Sets entry=value in the section, keeping every other line of a readable file. The new file is
    // written beside the old one, synced and renamed over it, so the old file stays intact on any
    // failure; a settings.ini that is a symbolic link is written through to its target when the
    // kernel's protected-link rule would follow it. The new file is always readable and writable
    // by its owner, and temporaries that killed writers left are removed. An unusable old file
    // (not text, oversized, unreadable) is replaced by one holding just this section. False on
    // failure: no folder, unwritable, settings.ini a directory, bad names, ...; and, with one line
    // on standard error, for a folder of another user's, a link that may not be followed or a
    // loop of them, and a result larger than kMaxFileSize (which a read would reject).
    bool WriteInt(const char* section, const char* entry, int value);

    static constexpr size_t kMaxFileSize = 64 * 1024;

private:
    std::string folder_;
};
