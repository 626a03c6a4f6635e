// libFuzzer target: message_from_memory over any bytes, then every lookup.
#include <cstdint>
#include <cstring>
#include <string>

#include "message/message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // A copy of exactly size bytes, so that any read past the end is caught.
  char *bytes = new char[size ? size : 1];
  if (size) memcpy(bytes, data, size);
  MessagePtr message = message_from_memory(bytes, size);
  if (message) {
    size_t count = 0;
    for (char *entry = header_next(message.get(), nullptr); entry;
         entry = header_next(message.get(), entry)) {
      // No CR, LF or NUL inside an entry; every entry lies inside the block.
      size_t length = strlen(entry);
      if (entry + length > message->header_end) __builtin_trap();
      if (memchr(entry, '\r', length) || memchr(entry, '\n', length)) __builtin_trap();
      const char *colon = static_cast<const char *>(memchr(entry, ':', length));
      if (colon && colon > entry && colon - entry <= 253) {
        // The entry's own name finds a value, unless the name kept capitals
        // (its scan stopped at a line end, as for a line without a colon).
        std::string name(entry, static_cast<size_t>(colon - entry));
        bool lower = true;
        for (char c : name) lower = lower && !(c >= 'A' && c <= 'Z');
        if (lower && !header_find(message.get(), name.c_str())) __builtin_trap();
      }
      ++count;
    }
    for (const char *name : {"from", "to", "subject", "x", ""}) header_find(message.get(), name);
    if (message_body_size(message.get()) > size) __builtin_trap();
    (void)count;
  }
  delete[] bytes;
  return 0;
}
