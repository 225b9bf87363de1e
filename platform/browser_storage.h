#pragma once

// In the browser the settings file lives in the page's memory and is gone with the page: it is
// kept in the browser's own storage for the page's origin as well (platform/storage_web.cpp).
// On the desktop the file is all there is, and these do nothing (platform/storage_desktop.cpp).

#include <string>

namespace platform {

// Puts the stored copy of the file back whole, unless the file is there already; before the first
// read. One over 64 KiB is then the store's to leave alone, as on Linux.
void RestoreStoredFile(const std::string& path);
// Stores a copy of the file as it now is, unless it is over 64 KiB; after every write. Where the
// browser refuses its storage, the page says once that the level lasts only as long as the page.
void StoreFile(const std::string& path);
// Makes what was written to a file or a folder durable: fsync on the desktop. In the browser the
// file lives in the page's memory, its copy is StoreFile's, and Emscripten's fsync would hand the
// page a turn from deep inside a write, which only the loop's wait may do.
bool SyncFile(int fd);

}  // namespace platform
