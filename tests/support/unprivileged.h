#pragma once

#include <functional>
#include <string>

namespace test {

// Runs body in a forked child that file permissions bind as they bind a player: when the tests
// run as root, the child first becomes "nobody", so a read-only folder or a mode-000 file stops
// it. Returns the child's exit code (body's result, 0..255), or -1 when it died.
int RunUnprivileged(const std::function<int()>& body);
// What that child does first; false when it could not.
bool BecomeUnprivileged();

// Hands path and everything under it to the user RunUnprivileged runs as (nothing unless root).
bool GiveToUnprivileged(const std::string& path);

// Sets or clears the file system's immutable flag, which binds root too; false where the file
// system or the process's capabilities do not allow it, with errno telling which.
bool SetImmutable(const std::string& path, bool on);

}  // namespace test
