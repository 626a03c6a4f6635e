#include "deliver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "copy.h"
#include "message/date.h"
#include "message/message.h"
#include "util/display.h"
#include "util/files.h"
#include "util/flags.h"

namespace {

// The input of one delivery: standard input or the source file.
struct Input {
  UniqueFd fd;
  struct stat status {};
  bool have_status = false;
};

// A delivery's name, made anew whenever its temporary file already exists.
struct DeliveryName {
  timeval now{};
  char unique[kUniqueSize] = {};
  char temporary[kPathSize] = {};
};

// Closes a stream left open by a failure, keeping the errno of the failure.
struct StreamCloser {
  void operator()(FILE *stream) const {
    int saved = errno;
    fclose(stream);
    errno = saved;
  }
};
using StreamPtr = std::unique_ptr<FILE, StreamCloser>;

// Removes the temporary file of a delivery that did not reach its final
// name, so that a failure leaves nothing behind (a partial file would also
// hold on to the space a full disk needs for the next message).
struct TemporaryFile {
  const char *path;
  bool delivered = false;
  ~TemporaryFile() {
    if (delivered) return;
    int saved = errno;
    unlink(path);
    errno = saved;
  }
};

// Reports a failure in the tool's words and keeps its errno for the caller.
int fail(const StoreRun &run, const char *what, const char *name) {
  int saved = errno;
  fprintf(stderr, "%s: %s%s: %s\n", store_prefix(run), what, name, strerror(saved));
  errno = saved;
  return -1;
}

int name_make(const StoreRun &run, DeliveryName &name) {
  gettimeofday(&name.now, nullptr);
  unique_name(name.unique, name.now, run.pid, run.deliveries, run.host);
  // A path that does not fit fails rather than being cut, since a cut
  // path could name another place.
  return path_join(name.temporary, {run.target, "/tmp/", name.unique}) ? 0 : -1;
}

int final_path(const StoreRun &run, const DeliveryName &name, const char *directory,
               const std::string &flags, PathBuffer &buffer) {
  return path_join(buffer, {run.target, "/", directory, "/", name.unique, kFlagMarker, flags}) ? 0
                                                                                               : -1;
}

bool is_regular_file(const char *path) {
  struct stat status;
  return lstat(path, &status) == 0 && S_ISREG(status.st_mode);
}

// Opens the input. A named source must be a regular file (symbolic links
// followed): it is opened without blocking, so that a FIFO or a device is
// refused rather than waited for.
int open_input(const StoreRun &run, const char *source, Input &input) {
  if (!source) {
    input.fd = UniqueFd(fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
    if (!input.fd) return fail(run, "", "/dev/stdin");
    input.have_status = fstat(input.fd.fd, &input.status) == 0;
    return 0;
  }
  input.fd = UniqueFd(open(source, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!input.fd || fstat(input.fd.fd, &input.status) != 0) return fail(run, "", source);
  input.have_status = true;
  if (!S_ISREG(input.status.st_mode)) {
    errno = S_ISDIR(input.status.st_mode) ? EISDIR : EINVAL;
    return fail(run, "", source);
  }
  int flags = fcntl(input.fd.fd, F_GETFL);
  if (flags < 0 || fcntl(input.fd.fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
    return fail(run, "", source);
  return 0;
}

// Only the permission bits of a regular file carry over; anything else
// (a pipe, a terminal, a socket) gives a file for the owner alone.
mode_t new_file_mode(const Input &input) {
  if (input.have_status && S_ISREG(input.status.st_mode)) return input.status.st_mode & 0777;
  return 0600;
}

// Creates the temporary file exclusively; a name already taken is made
// anew from a new time.
UniqueFd temporary_create(const StoreRun &run, const Input &input, DeliveryName &name) {
  for (;;) {
    UniqueFd file(
        open(name.temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, new_file_mode(input)));
    if (file) return file;
    if (errno == EEXIST) {
      if (name_make(run, name) != 0) return file;
      continue;
    }
    if (errno == ENOENT)
      fail(run, run.target.c_str(), "/tmp");
    else
      fail(run, "", name.temporary);
    return file;
  }
}

// The Date header of the head of a stored mbox message, or -1.
int64_t head_date(const std::string &head) {
  MessagePtr message = message_from_memory(head.data(), head.size());
  const char *date = message ? header_find(message.get(), "date") : nullptr;
  return date ? date_parse(date) : -1;
}

// Sets the times of a stored message before it is synced: an mbox
// message's Date as its modification time, or the source's modification
// time when source times are kept. Failures leave the times as they are.
void times_set(const StoreRun &run, int fd, const DeliveryName &name, const Input &input,
               const std::string *head) {
  timespec times[2] = {{name.now.tv_sec, name.now.tv_usec * 1000L}, {0, 0}};
  if (head) {
    int64_t date = head_date(*head);
    if (date == -1) return;
    times[1].tv_sec = static_cast<time_t>(date);
  } else if (run.keep_source_times && input.have_status) {
    times[1] = input.status.st_mtim;
  } else {
    return;
  }
  futimens(fd, times);
}

// A message that has its new name is delivered even where its old name
// (a temporary file, or the source of a move) could not be removed: the
// name left behind is reported instead, with errno.
void report_left_behind(const StoreRun &run, const char *old_name) {
  fprintf(stderr, "%s: can't remove '%s': %s\n", store_prefix(run), old_name, strerror(errno));
}

void announce(const StoreRun &run, const char *path) {
  if (run.verbose) display_line(stdout, path);
}

void name_received(StoreRun &run, bool into_cur) {
  (into_cur ? run.cur_unsynced : run.new_unsynced) = true;
}

// Copies one message into a new temporary file, syncs it and renames it
// into place. mbox is null outside mbox mode. A failure leaves nothing in
// tmp/, new/ or cur/.
int store_copy(StoreRun &run, const Input &input, InputReader &reader, DeliveryName &name,
               MboxMessage *mbox) {
  UniqueFd file = temporary_create(run, input, name);
  if (!file) return -1;
  TemporaryFile temporary{name.temporary};
  StreamPtr stream(fdopen(file.fd, "w"));
  if (!stream) return fail(run, "fdopen: ", name.temporary);
  int fd = file.release();

  std::string head;
  MessageWriter out{stream.get(), mbox ? &head : nullptr};
  int copied = mbox ? copy_mbox_message(reader, out, *mbox) : copy_plain(reader, out);
  if (copied != 0 || fflush(stream.get()) != 0) return -1;
  times_set(run, fd, name, input, mbox ? &head : nullptr);
  if (fsync(fd) != 0 || fclose(stream.release()) != 0) return -1;

  bool into_cur = run.into_cur || (mbox && mbox->old);
  std::string flags = run.flags ? *run.flags : mbox ? mbox_flags(*mbox) : "";
  char final[kPathSize];
  if (final_path(run, name, into_cur ? "cur" : "new", flags, final) != 0) return -1;
  int renamed = rename_noreplace(name.temporary, final);
  if (renamed < 0) return -1;
  if (renamed == kRenameLeftOld) report_left_behind(run, name.temporary);
  temporary.delivered = true;
  name_received(run, into_cur);
  announce(run, final);
  return 0;
}

// One message, moved by a rename when that is allowed and works, copied
// otherwise.
int deliver_single(StoreRun &run, const char *source, bool rename_first, Input &input) {
  ++run.deliveries;
  DeliveryName name;
  if (name_make(run, name) != 0) return -1;
  if (rename_first) {
    char final[kPathSize];
    if (final_path(run, name, "cur", run.flags.value_or(""), final) != 0) return -1;
    // The source is a message of its own: its new name must be on disk
    // before the old one goes.
    int renamed = rename_noreplace(source, final, true);
    if (renamed >= 0) {
      if (renamed == kRenameLeftOld) report_left_behind(run, source);
      name_received(run, true);
      announce(run, final);
      return 0;
    }
    if (open_input(run, source, input) != 0) return -1;
  }
  InputReader reader(input.fd.fd);
  return store_copy(run, input, reader, name, nullptr);
}

int deliver_mbox(StoreRun &run, Input &input) {
  InputReader reader(input.fd.fd);
  if (mbox_skip_to_first(reader) != 0) return -1;
  MboxMessage message;
  do {
    ++run.deliveries;
    DeliveryName name;
    if (name_make(run, name) != 0 || store_copy(run, input, reader, name, &message) != 0) return -1;
  } while (message.more);
  return 0;
}

int directory_sync(const StoreRun &run, const char *directory) {
  char path[kPathSize];
  if (!path_join(path, {run.target, "/", directory})) return fail(run, "", run.target.c_str());
  UniqueFd fd(open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd || fsync(fd.fd) != 0 || fd.close() != 0) return fail(run, "", path);
  return 0;
}

}  // namespace

const char *store_prefix(const StoreRun &run) {
  return run.mode == StoreMode::move ? "qxmove" : "qxstore";
}

void host_part_clean(char *host) {
  for (char *c = host; *c; ++c)
    if (*c == '/' || *c == ':') *c = '-';
}

void host_part_read(StoreRun &run) {
  if (gethostname(run.host, kHostSize) != 0) run.host[0] = '\0';
  run.host[kHostSize - 1] = '\0';
  host_part_clean(run.host);
  run.pid = static_cast<long>(getpid());
}

void unique_name(char (&buffer)[kUniqueSize], const timeval &now, long pid, int64_t counter,
                 const char *host) {
  snprintf(buffer, kUniqueSize, "%ld.M%06ldP%ldQ%ld.%s", static_cast<long>(now.tv_sec),
           static_cast<long>(now.tv_usec), pid, static_cast<long>(counter), host);
}

int maildir_sync(StoreRun &run) {
  int error = 0;
  if (run.new_unsynced && directory_sync(run, "new") != 0) error = errno;
  if (run.cur_unsynced && directory_sync(run, "cur") != 0 && error == 0) error = errno;
  run.new_unsynced = run.cur_unsynced = false;
  errno = error;
  return error == 0 ? 0 : -1;
}

int maildir_deliver(StoreRun &run, const char *source) {
  // Only a regular file is ever renamed: never a link, a directory, a
  // device, nor standard input.
  bool rename_first = run.rename_first && source && is_regular_file(source);
  Input input;
  if (!rename_first && open_input(run, source, input) != 0) return -1;
  return run.mbox ? deliver_mbox(run, input) : deliver_single(run, source, rename_first, input);
}
