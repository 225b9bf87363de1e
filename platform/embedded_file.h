#pragma once

#include <cstddef>
#include <cstring>

// A file built into the executable: its name and its bytes [begin, end).
struct EmbeddedFile {
    const char* name;
    const unsigned char* begin;
    const unsigned char* end;

    size_t size() const { return static_cast<size_t>(end - begin); }
};

// Looks a name up in a table of embedded files; null when absent.
inline const EmbeddedFile* FindEmbeddedFile(const EmbeddedFile* table, int count, const char* name)
{
    if (name == nullptr) return nullptr;
    for (int i = 0; i < count; ++i)
        if (std::strcmp(table[i].name, name) == 0) return &table[i];
    return nullptr;
}

// The program's resources (pictures, icon) and fonts.
extern const EmbeddedFile kResources[];
extern const int kResourcesCount;
extern const EmbeddedFile kFonts[];
extern const int kFontsCount;
