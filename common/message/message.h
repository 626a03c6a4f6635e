// The Message and its Header block: loading a message from a
// file, standard input or memory, the unfolded header section, lookups.
#pragma once

#include <cstddef>
#include <memory>

// A loaded message: six pointer fields, in this order.
// The record owns the Header block (header_start) and, when loaded whole,
// the file buffer; it releases both when destroyed. Not copyable.
struct Message {
  char *header_start = nullptr;      // first byte of the Header block; owned
  char *header_end = nullptr;        // just after the Header block; always a NUL
  const char *body_start = nullptr;  // first body byte in the raw text; null if header only
  const char *body_end = nullptr;    // one past the last body byte; null if header only
  char *file_buffer = nullptr;       // whole-file buffer (message_open_full); owned
  const char *raw_start = nullptr;   // raw message text; borrowed (or = file_buffer)

  Message() = default;
  Message(const Message &) = delete;
  Message &operator=(const Message &) = delete;
  ~Message();
};

// Every loader returns an owned Message, or null on failure.
using MessagePtr = std::unique_ptr<Message>;

// Header section only, read in 4096-byte steps up to the empty line.
// "/dev/stdin" reads a duplicate of descriptor 0; any other path must name
// a regular file (a FIFO, socket or device fails with EINVAL at once).
MessagePtr message_open(const char *path);
// The whole file, opened as message_open does (standard input read to its
// end when it is a pipe, a file up to its size).
// Reports a failing read other than EINTR through perror("read").
MessagePtr message_open_full(const char *path);
// As message_open_full, but a failing read (other than EINTR) is stored in
// read_error (else 0) instead of reported.
MessagePtr message_read_full(const char *path, int &read_error);
// A Message over bytes in memory; borrows them (they must outlive it) and
// copies only the header section.
MessagePtr message_from_memory(const char *data, size_t length);

// Turns the header section [start, end) into a Header block in place; the
// byte at end must be writable (it becomes a NUL).
void header_unfold(char *start, char *end);
// Joins the line breaks of one entry [start, end) (end holds a NUL).
void entry_unfold(char *start, char *end);

// The value of the first header called name (any case, no colon), its
// leading blanks skipped; null when absent. A name longer than 253 bytes
// finds nothing.
char *header_find(const Message *message, const char *name);
// As header_find with a key of the form "\0name:" (name in lower case);
// key_length counts the NUL, the name and the colon.
char *header_find_raw(const Message *message, const char *key, size_t key_length);
// The Header block entry after previous (the first with null); null at the end.
char *header_next(const Message *message, const char *previous);

// header_end - header_start.
size_t message_header_size(const Message *message);
// body_end - body_start; 0 when either is null.
size_t message_body_size(const Message *message);

// True when the first LF in [bytes, bytes + length) exists, is not the
// first byte and is preceded by CR.
bool crlf_detect(const char *bytes, size_t length);

// memmem semantics: the first occurrence of needle in haystack, or null;
// an empty needle matches at the start. The library's one byte search.
const char *bytes_find(const char *haystack, size_t haystack_length, const char *needle,
                       size_t needle_length);
