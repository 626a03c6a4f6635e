// Loading a message ahead of its turn: a loader thread reads the file into
// a MessageLoad, and the thread that handles the message later takes the
// result, with every report a loader would have printed made only then.
#pragma once

#include "message/message.h"

// How much of a message is read: what message_open or message_open_full
// would read.
enum class LoadExtent { header, whole };

// One message as loaded ahead. Movable, not copyable.
struct MessageLoad {
  MessagePtr message;    // the loaded message; null when loading failed
  int read_error = 0;    // errno of a failing whole read, reported when taken
  bool in_order = true;  // not loaded ahead: the message is loaded when taken
};

// Loads path as message_open (header) or message_open_full (whole) would,
// printing nothing. Standard input ("/dev/stdin") and anything that is not
// a regular file (a FIFO, a device, a directory) is left in order, so that
// only the handling thread opens it, at its turn. Safe to call from
// several threads at once, each with its own load.
void message_load_ahead(const char *path, LoadExtent extent, MessageLoad &load);

// The message of load, in the handling thread: the one loaded ahead, or,
// when it was left in order, loaded now from path. Reports a failing whole
// read through perror("read") as message_open_full does.
MessagePtr message_load_take(MessageLoad &load, const char *path, LoadExtent extent);
