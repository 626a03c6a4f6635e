// The delivery step of qxstore and qxmove: each message is written under a
// unique name into the maildir's tmp/, forced to disk and then renamed
// into new/ or cur/, so no reader ever sees a partial message.
#pragma once

#include <sys/time.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "util/path.h"

constexpr size_t kHostSize = 64;     // the host part, NUL included
constexpr size_t kUniqueSize = 128;  // a unique name, NUL included (longer ones are cut)

enum class StoreMode { store, move };

// The settings of one run and the state its deliveries share.
struct StoreRun {
  StoreMode mode = StoreMode::store;
  bool into_cur = false;
  bool mbox = false;
  bool verbose = false;
  std::optional<std::string> flags;  // the flag part after ":2,", when one is set
  bool rename_first = false;
  bool keep_source_times = false;
  std::string target;
  char host[kHostSize] = {};
  long pid = 0;            // read once with the host part
  int64_t deliveries = 0;  // the delivery counter
  // The target's directories that received a name since they were last
  // forced to disk.
  bool new_unsynced = false;
  bool cur_unsynced = false;
};

// "qxstore" or "qxmove": the start of every message the run writes.
const char *store_prefix(const StoreRun &run);

// Fills run.host from the host name, with "/" and ":" made "-", and
// run.pid with the process id.
void host_part_read(StoreRun &run);
void host_part_clean(char *host);

// Writes the unique name of a delivery into buffer, cut to fit.
void unique_name(char (&buffer)[kUniqueSize], const timeval &now, long pid, int64_t counter,
                 const char *host);

// Stores the message read from source (standard input when null) into
// run.target, or with run.mbox every message of the mbox it holds.
// Returns 0, or -1 with errno describing the failure.
int maildir_deliver(StoreRun &run, const char *source);

// Forces every directory of run.target that received a name to disk, so
// that the names delivered survive a crash; called before the tool exits,
// after a failure too. Returns 0, or -1 with errno after a message.
int maildir_sync(StoreRun &run);
