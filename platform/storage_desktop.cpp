// On the desktop the settings file is kept where it is written: there is no other copy to keep.
#include "platform/browser_storage.h"

namespace platform {

void RestoreStoredFile(const std::string&) {}

void StoreFile(const std::string&) {}

}  // namespace platform
