#include "tests/support/unprivileged.h"

#include <cerrno>
#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "tests/support/process.h"

namespace test {

namespace {

uid_t gUid = 0;
gid_t gGid = 0;

bool FindUnprivilegedUser()
{
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) return false;
    gUid = nobody->pw_uid;
    gGid = nobody->pw_gid;
    return true;
}

int GiveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return lchown(path, gUid, gGid);
}

}  // namespace

int RunUnprivileged(const std::function<int()>& body)
{
    return Child([&body] { return BecomeUnprivileged() ? body() : 255; }).Wait().status;
}

bool BecomeUnprivileged()
{
    if (geteuid() != 0) return true;
    return FindUnprivilegedUser() && setgroups(0, nullptr) == 0 && setgid(gGid) == 0 && setuid(gUid) == 0;
}

bool GiveToUnprivileged(const std::string& path)
{
    if (geteuid() != 0) return true;
    return FindUnprivilegedUser() && nftw(path.c_str(), GiveEntry, 16, FTW_PHYS) == 0;
}

bool SetImmutable(const std::string& path, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    const int error = errno;
    close(fd);
    errno = error;  // the caller tells why: not root, or no such flag on this file system
    return ok;
}

}  // namespace test
