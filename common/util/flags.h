// Maildir flags: the letters after ":2," in a message file name. A flag
// part lists its letters in ascending order, each at most once. The bits
// are the masks the filter's flag keywords and "flags" property use.
#pragma once

#include <cstring>
#include <string_view>

struct MaildirFlag {
  char letter;
  std::string_view name;
  int bit;
};

// In ascending letter order, the order a flag part lists them.
inline constexpr MaildirFlag kMaildirFlags[] = {
    {'D', "draft", 16},  {'F', "flagged", 32}, {'P', "passed", 1},
    {'R', "replied", 2}, {'S', "seen", 4},     {'T', "trashed", 8},
};

// What comes before a flag part in a file name.
inline constexpr std::string_view kFlagMarker = ":2,";

constexpr bool maildir_flags_checked() {
  int bits = 0;
  char last = 0;
  for (const MaildirFlag &flag : kMaildirFlags) {
    bool power_of_two = flag.bit > 0 && (flag.bit & (flag.bit - 1)) == 0;
    if (flag.letter <= last || !power_of_two || (bits & flag.bit)) return false;
    last = flag.letter;
    bits |= flag.bit;
  }
  return true;
}
static_assert(maildir_flags_checked(),
              "flag letters ascend and their bits are distinct powers of two");

// Whether letter is a maildir flag.
constexpr bool is_maildir_flag(char letter) {
  for (const MaildirFlag &flag : kMaildirFlags)
    if (flag.letter == letter) return true;
  return false;
}

// The bit of a flag letter; a letter that is no flag does not compile
// where a constant is needed.
constexpr int maildir_flag_bit(char letter) {
  for (const MaildirFlag &flag : kMaildirFlags)
    if (flag.letter == letter) return flag.bit;
  throw "not a maildir flag letter";
}

// Where the flag part of a name starts (just after the first ":2,"), or
// npos without one.
constexpr size_t flag_part_start(std::string_view name) {
  size_t marker = name.find(kFlagMarker);
  return marker == std::string_view::npos ? marker : marker + kFlagMarker.size();
}

// The flag part of a NUL-terminated name, or null without one.
inline const char *flag_part(const char *name) {
  const char *marker = strstr(name, kFlagMarker.data());
  return marker ? marker + kFlagMarker.size() : nullptr;
}

// The bits of the known flag letters found in a flag part.
inline int flag_bits(const char *part) {
  int bits = 0;
  for (const MaildirFlag &flag : kMaildirFlags)
    if (strchr(part, flag.letter)) bits |= flag.bit;
  return bits;
}
