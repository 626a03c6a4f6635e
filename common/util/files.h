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

// Renames from to to, failing with EEXIST instead of replacing a file that
// already has the new name. Returns 0 or -1 with errno set.
int rename_noreplace(const char *from, const char *to);
