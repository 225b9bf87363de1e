#pragma once

// In the browser the settings file lives in the page's memory and is gone with the page: it is
// kept in the browser's own storage for the page's origin as well (platform/storage_web.cpp).
// Elsewhere the file is all there is, and these do nothing.

#include <string>

namespace platform {

#ifdef __EMSCRIPTEN__
// Puts the stored copy of the file back whole, unless the file is there already; before the first
// read. One over 64 KiB is then the store's to leave alone, as on Linux.
void RestoreStoredFile(const std::string& path);
// Stores a copy of the file as it now is, unless it is over 64 KiB; after every write. Where the browser refuses its
// storage, the page says once that the level lasts only as long as the page.
void StoreFile(const std::string& path);
#else
inline void RestoreStoredFile(const std::string&) {}
inline void StoreFile(const std::string&) {}
#endif

}  // namespace platform
