// On the desktop the settings file is kept where it is written: there is no other copy to keep.
#include "platform/browser_storage.h"

#include <unistd.h>

namespace platform {

void RestoreStoredFile(const std::string&) {}

void StoreFile(const std::string&) {}

bool SyncFile(int fd)
{
    return ::fsync(fd) == 0;
}

}  // namespace platform
