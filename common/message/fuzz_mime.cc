// libFuzzer target: mime_walk over message_from_memory of any bytes, with
// a visitor that writes a NUL after each body as the search tool does.
#include <cstdint>
#include <cstring>
#include <vector>

#include "message/mime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Exactly size bytes and the writable byte after them, so that any read
  // beyond is caught.
  std::vector<char> bytes(data, data + size);
  bytes.push_back('\0');
  MessagePtr message = message_from_memory(bytes.data(), size);
  if (!message) return 0;
  mime_walk(*message, 0, [](int depth, const Message &part, char *body, size_t length) {
    if (depth < 0 || depth > kMimeMaxDepth) __builtin_trap();
    body[length] = '\0';
    if (strlen(body) > length) __builtin_trap();
    const char *type = header_find_raw(&part, kContentTypeKey, kContentTypeKeyLength);
    const char *type_end = type ? type + strlen(type) : nullptr;
    const char *start, *end;
    for (const char *name : {"charset", "boundary"}) {
      bool found = mime_parameter(type, name, start, end);
      if (found && (start < type || end < start || end > type_end)) __builtin_trap();
    }
    message_is_mime(part);
    return 0;
  });
  // The walk leaves the message text as it was.
  if (memcmp(bytes.data(), data, size) != 0 || bytes[size] != '\0') __builtin_trap();
  return 0;
}
