// Any bytes as a header value (and as body text): the decoders must stay
// inside their buffers, and decode_words must always terminate its result
// within the size it was given.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "message/decode.h"

namespace {

// The first byte picks the output size, so small buffers and the cut-off
// paths get their share.
size_t output_size(const uint8_t *data, size_t size) {
  if (size == 0) return 64;
  return data[0] < 128 ? data[0] : 4096;
}

void check_body_decoders(const char *start, const char *end) {
  std::unique_ptr<char[]> output;
  size_t length;
  if (decode_qp(start, end, output, length, true) &&
      (length > static_cast<size_t>(end - start) || output[length] != '\0')) {
    __builtin_trap();
  }
  if (decode_base64(start, end, output, length) &&
      (length > static_cast<size_t>(end - start) / 4 * 3 || output[length] != '\0')) {
    __builtin_trap();
  }
}

}  // namespace

// Every bad word prints a diagnostic, which would drown the fuzzer's own
// output: ask libFuzzer to discard standard error (its reports and the
// sanitizers' still come through). Flags given later override this one.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  static char discard_stderr[] = "-close_fd_mask=2";
  static std::vector<char *> args(*argv, *argv + *argc);
  args.insert(args.begin() + 1, discard_stderr);
  args.push_back(nullptr);
  *argc += 1;
  *argv = args.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // An exact-size copy, so any read past the range is caught.
  std::unique_ptr<char[]> bytes(new char[size]);
  if (size > 0) memcpy(bytes.get(), data, size);
  check_body_decoders(bytes.get(), bytes.get() + size);

  std::unique_ptr<char[]> text(new char[size + 1]);
  if (size > 0) memcpy(text.get(), data, size);
  text[size] = '\0';
  size_t room = output_size(data, size);
  std::unique_ptr<char[]> output(new char[room > 0 ? room : 1]);
  if (decode_words(output.get(), text.get(), room, "UTF-8") != (room > 0)) __builtin_trap();
  if (room > 0 && strnlen(output.get(), room) >= room) __builtin_trap();
  return 0;
}
