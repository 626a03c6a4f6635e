// libFuzzer target: address_parse looped over any NUL-terminated text.
#include <cstdint>
#include <cstring>

#include "message/address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  char *text = new char[size + 1];
  if (size) memcpy(text, data, size);
  text[size] = '\0';
  const char *p = text;
  const char *name, *address;
  size_t calls = 0;
  while ((p = address_parse(p, &name, &address)) != nullptr) {
    // Every call makes progress (or stops at the end) and results stay in bounds.
    if (p < text || p > text + strlen(text)) __builtin_trap();
    if (!name && !address) __builtin_trap();
    if (name && strlen(name) > kAddressBufferSize - 1) __builtin_trap();
    if (address && strlen(address) > kAddressBufferSize - 1) __builtin_trap();
    if (++calls > size + 1) __builtin_trap();  // no loop without end
  }
  if (name || address) __builtin_trap();
  delete[] text;
  return 0;
}
