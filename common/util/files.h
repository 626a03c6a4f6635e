// Small file helpers shared by every tool: whole-file reading, an owned
// descriptor, and a rename that never replaces an existing file.
#pragma once

#include <cstddef>
#include <memory>

// An open file descriptor, closed when the owner goes away.
struct UniqueFd {
  int fd = -1;

  UniqueFd() = default;
  explicit UniqueFd(int descriptor) : fd(descriptor) {}
  UniqueFd(const UniqueFd &) = delete;
  UniqueFd &operator=(const UniqueFd &) = delete;
  UniqueFd(UniqueFd &&other) noexcept : fd(other.release()) {}
  UniqueFd &operator=(UniqueFd &&other) noexcept;
  ~UniqueFd();

  explicit operator bool() const { return fd >= 0; }
  int release();
  // Closes now and reports the result (0 or -1 with errno), for writers
  // that must know whether their data reached the file.
  int close();
};

// Reads the whole file into a new buffer with a NUL after the data. Reads
// to the end of the file, so pipes, FIFOs and /dev/stdin come in whole.
// Returns 0, or the errno value of the failing call (ENOMEM when the
// buffer cannot be allocated).
int file_slurp(const char *name, std::unique_ptr<char[]> &buffer, size_t &length);

// The result of rename_noreplace when the new name was made but the old
// one could not be removed: the file has both names.
constexpr int kRenameLeftOld = 1;

// Renames from to to, failing with EEXIST instead of replacing a file that
// already has the new name. Where the file system cannot rename without
// replacing, the file is linked under the new name and the old name then
// unlinked; with sync_target the new name's directory is forced to disk
// in between, so that a crash cannot take both names. Returns 0; -1 with
// errno set when the new name was not made (or, synced, was taken back);
// or kRenameLeftOld with errno from the failed unlink.
int rename_noreplace(const char *from, const char *to, bool sync_target = false);
