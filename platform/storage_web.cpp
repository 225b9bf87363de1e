// The settings file kept in the browser's localStorage, under the file's path: synchronous, so a
// level is stored before the write returns, and a tab closed at any moment after it keeps it.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/browser_storage.h"
#include "platform/profile_store.h"

namespace {

// Each returns -1 where the browser refuses its storage (a privacy setting, a full quota).
// JavaScript, not C++: the formatter would split its operators.
// clang-format off
EM_JS(int, StorageGet, (const char* key, char* buffer, int size), {
    try {
        const value = window.localStorage.getItem(UTF8ToString(key));
        if (value === null) return 0;
        if (lengthBytesUTF8(value) >= size) return 0;  // not a settings file this program wrote
        return stringToUTF8(value, buffer, size) + 1;
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

}  // namespace

namespace platform {

void RestoreStoredFile(const std::string& path)
{
    std::string data;
    if (path.empty() || ReadWhole(path, data)) return;
    data.assign(ProfileStore::kMaxFileSize + 1, '\0');
    const int stored = StorageGet(path.c_str(), &data[0], static_cast<int>(data.size()));
    if (stored < 0) SayStorageRefused();
    if (stored <= 0) return;
    data.resize(static_cast<size_t>(stored - 1));
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

}  // namespace platform
