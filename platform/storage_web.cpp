// The settings file kept in the browser's localStorage, under the file's path: synchronous, so a
// level is stored before the write returns, and a tab closed at any moment after it keeps it.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/browser_storage.h"
#include "platform/profile_store.h"

namespace {

// Each returns -1 where the browser refuses its storage (a privacy setting, a full quota).
// StorageGet: 0 when nothing is stored, else the size the value needs with its NUL, the value
// written into the buffer when that fits.
// JavaScript, not C++: the formatter would split its operators.
// clang-format off
EM_JS(int, StorageGet, (const char* key, char* buffer, int size), {
    try {
        const value = window.localStorage.getItem(UTF8ToString(key));
        if (value === null) return 0;
        const needed = lengthBytesUTF8(value) + 1;
        if (needed <= size) stringToUTF8(value, buffer, size);
        return needed;
    } catch (e) {
        return -1;
    }
});

EM_JS(int, StorageSet, (const char* key, const char* value), {
    try {
        window.localStorage.setItem(UTF8ToString(key), UTF8ToString(value));
        return 1;
    } catch (e) {
        return -1;
    }
});

EM_JS(void, ShowNotice, (const char* text), {
    if (typeof lorvexNotice === "function") lorvexNotice(UTF8ToString(text));
});
// clang-format on

void SayStorageRefused()
{
    static bool said = false;
    if (said) return;
    said = true;
    ShowNotice("This browser keeps no data for this page: the level lasts only until the page is closed.");
}

bool ReadWhole(const std::string& path, std::string& data)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    data.assign(ProfileStore::kMaxFileSize + 1, '\0');
    data.resize(std::fread(&data[0], 1, data.size(), f));
    std::fclose(f);
    return data.size() <= ProfileStore::kMaxFileSize;
}

// Whole, however large: a value over 64 KiB once read as absent, and the next save wrote over it.
int ReadStoredValue(const std::string& key, std::string& data)
{
    data.assign(ProfileStore::kMaxFileSize + 1, '\0');
    int stored;
    // Again while it does not fit: another tab may store a larger one in between.
    while ((stored = StorageGet(key.c_str(), &data[0], static_cast<int>(data.size()))) > static_cast<int>(data.size()))
        data.assign(static_cast<size_t>(stored), '\0');
    if (stored > 0) data.resize(static_cast<size_t>(stored - 1));
    return stored;
}

}  // namespace

namespace platform {

void RestoreStoredFile(const std::string& path)
{
    std::string data;
    if (path.empty() || ReadWhole(path, data)) return;
    const int stored = ReadStoredValue(path, data);
    if (stored < 0) SayStorageRefused();
    if (stored <= 0) return;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
}

void StoreFile(const std::string& path)
{
    std::string data;
    if (path.empty() || !ReadWhole(path, data)) return;
    if (StorageSet(path.c_str(), data.c_str()) < 0) SayStorageRefused();
}

bool SyncFile(int)
{
    return true;
}

}  // namespace platform
