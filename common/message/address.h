// Address parsing: one mailbox (display name, address) per call
// from an address header value, in process-wide 1024-byte result buffers.
#pragma once

#include <cstddef>

constexpr size_t kAddressBufferSize = 1024;

// Parses the next mailbox from text. Each present out argument receives
// the display name / address result buffer, or null when that result is
// empty. Returns where the next call continues (just after the comma or
// semicolon that ended this mailbox, or the end of the text), or null
// (both outs set to null) when no further mailbox is left. The results
// stay valid until the next call; not reentrant.
const char *address_parse(const char *text, const char **display_name, const char **address);

// Appends [first, end) to the NUL-terminated text in buffer (1024 bytes),
// cutting it at 1023 bytes. Returns the count appended (0 when the buffer
// already holds 1024 non-NUL bytes).
size_t buffer_append(char *buffer, const char *first, const char *end);
