// A fault injector the end-to-end tests load into the programs with
// LD_PRELOAD: the file system seems to have no rename that refuses to
// replace (renameat2 fails with EINVAL, as on file systems without it),
// and unlink fails with EPERM for the names that match the shell pattern
// in QUOBIX_FAULT_UNLINK.
#include <dlfcn.h>
#include <fnmatch.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

extern "C" int renameat2(int, const char *, int, const char *, unsigned int) noexcept {
  errno = EINVAL;
  return -1;
}

extern "C" int unlink(const char *path) noexcept {
  const char *pattern = getenv("QUOBIX_FAULT_UNLINK");
  if (pattern && fnmatch(pattern, path, 0) == 0) {
    errno = EPERM;
    return -1;
  }
  using Unlink = int (*)(const char *);
  static const Unlink real = reinterpret_cast<Unlink>(dlsym(RTLD_NEXT, "unlink"));
  return real(path);
}
