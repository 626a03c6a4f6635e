// The Message loop: turns a tool's message arguments (paths, maildirs, "-",
// Ranges, or names on standard input) into one callback per message name.
#pragma once

#include <cstdint>
#include <functional>

// Receives one NUL-terminated message name, valid only during the call.
using MessageCallback = std::function<void(const char *name)>;

// Hands every message named by the arguments to callback, in order; with
// no arguments, every line of standard input. Returns the count.
int64_t message_loop(int count, char *const arguments[], const MessageCallback &callback);

// Lets a caller that holds names back catch up: called before each Range
// and "-" argument (which may print or end the process) and, when names
// come from standard input, before each read that would wait.
using LoopPause = std::function<void()>;

// message_loop with pause (may be empty: then exactly message_loop).
int64_t message_loop_paused(int count, char *const arguments[], const MessageCallback &callback,
                            const LoopPause &pause);

// message_loop over the single argument.
int64_t message_loop_one(const char *argument, const MessageCallback &callback);

// Hands the messages of the maildir at path (its cur/ listing, or the
// directory itself without cur/) in name_compare order, or path itself
// when it is a plain file. Returns the count.
int64_t maildir_scan(const char *path, const MessageCallback &callback);

// Orders names with embedded numbers by value: a2 < a10, 1.5 < 1.10.
int name_compare(const char *a, const char *b);
