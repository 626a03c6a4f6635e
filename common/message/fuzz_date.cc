// Any bytes as a Date value: date_parse must neither crash nor read past
// the terminator.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "message/date.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::unique_ptr<char[]> text(new char[size + 1]);
  memcpy(text.get(), data, size);
  text[size] = '\0';
  int64_t seconds = date_parse(text.get());
  // Parsed fields keep a result within years 999 to 10000 or so.
  if (seconds != -1 && (seconds < -32535216000 || seconds > 253403301000 + 10001 * 3600)) {
    __builtin_trap();
  }
  return 0;
}
