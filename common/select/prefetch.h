// The Message loop with read-ahead: loader threads open and read the next
// messages while the caller handles the current one. The caller still gets
// every name in order, in its own thread, with the message loaded for it,
// so that everything it prints comes out as it would without read-ahead.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "message/load.h"

// What the loaders read for each name.
struct Prefetch {
  LoadExtent extent = LoadExtent::header;
  // The file that a name stands for, written into path; false when the
  // name stands for no file. Runs in the caller's thread.
  bool (*path_of)(const char *name, std::string &path) = nullptr;
};

// Receives each name (valid only during the call) with its load, which the
// callback may take over (with message_load_take, or by moving it).
using PrefetchCallback = std::function<void(const char *name, MessageLoad &load)>;

// message_loop over the arguments, with loader threads reading up to a
// fixed number of messages ahead as prefetch says. With read-ahead off
// every load is left in order. Returns the count of names.
int64_t message_loop_ahead(int count, char *const arguments[], const Prefetch &prefetch,
                           const PrefetchCallback &callback);

// message_loop_ahead with read-ahead off: every load is left in order, for
// runs that read no file or only when their test asks.
int64_t message_loop_in_order(int count, char *const arguments[], const PrefetchCallback &callback);

// message_loop_ahead over the single argument.
int64_t message_loop_ahead_one(const char *argument, const Prefetch &prefetch,
                               const PrefetchCallback &callback);

// A Prefetch::path_of for names that may be indented by thread depth (as
// Sequence lines are): the name without its leading spaces and tabs.
bool path_after_blanks(const char *name, std::string &path);

// The number of loader threads: QUOBIX_PREFETCH when it is a number (0
// turns read-ahead off; at most 64), else one for each core and at most
// eight.
int prefetch_threads();
