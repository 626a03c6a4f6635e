#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "path.h"

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept {
  if (this != &other) {
    close();
    fd = other.release();
  }
  return *this;
}

UniqueFd::~UniqueFd() { close(); }

int UniqueFd::release() {
  int descriptor = fd;
  fd = -1;
  return descriptor;
}

int UniqueFd::close() {
  if (fd < 0) return 0;
  return ::close(release());
}

int file_slurp(const char *name, std::unique_ptr<char[]> &buffer, size_t &length) {
  UniqueFd file(open(name, O_RDONLY | O_CLOEXEC));
  struct stat status;
  if (!file || fstat(file.fd, &status) != 0) return errno;

  // Start with the reported size and grow only when the file gives more
  // (a pipe reports 0, a growing file more than fstat saw).
  size_t capacity = status.st_size > 0 ? static_cast<size_t>(status.st_size) : 4096;
  buffer.reset(new (std::nothrow) char[capacity + 1]);
  if (!buffer) return ENOMEM;

  size_t used = 0;
  for (;;) {
    char probe[4096];
    bool full = used == capacity;
    // A full buffer is grown only once the file proves to have more, so a
    // regular file costs exactly its size.
    ssize_t got = full ? read(file.fd, probe, sizeof probe)
                       : read(file.fd, buffer.get() + used, capacity - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) break;
    if (full) {
      size_t bigger = capacity * 2 + sizeof probe;
      std::unique_ptr<char[]> grown(new (std::nothrow) char[bigger + 1]);
      if (!grown) return ENOMEM;
      memcpy(grown.get(), buffer.get(), used);
      memcpy(grown.get() + used, probe, static_cast<size_t>(got));
      buffer = std::move(grown);
      capacity = bigger;
    }
    used += static_cast<size_t>(got);
  }
  buffer[used] = '\0';
  length = used;
  return 0;
}

namespace {

// Forces the directory holding path to disk.
int directory_of_sync(const char *path) {
  const char *slash = strrchr(path, '/');
  PathBuffer directory;
  if (!slash) {
    strcpy(directory, ".");
  } else if (!path_join(directory, {std::string_view(path, slash == path ? 1 : slash - path)})) {
    return -1;
  }
  UniqueFd fd(open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd || fsync(fd.fd) != 0) return -1;
  return fd.close();
}

}  // namespace

int rename_noreplace(const char *from, const char *to, bool sync_target) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // The file system cannot rename without replacing: a hard link fails on
  // an existing name just the same.
  if (link(from, to) != 0) return -1;
  if (sync_target && directory_of_sync(to) != 0) {
    // The old name stays the one that counts, unless the new one sticks.
    int error = errno;
    if (unlink(to) != 0) return kRenameLeftOld;
    errno = error;
    return -1;
  }
  return unlink(from) == 0 ? 0 : kRenameLeftOld;
}
