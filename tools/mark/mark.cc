#include "mark.h"

#include "util/flags.h"

void flags_request(FlagRequests &requests, std::string_view letters, int8_t request) {
  for (unsigned char letter : letters)
    if (letter < 128) requests[letter] = request;
}

bool flags_apply(std::string_view line, const FlagRequests &requests, std::string &changed) {
  size_t start = flag_part_start(line);
  if (start == std::string_view::npos) return false;
  std::string_view old_flags = line.substr(start);

  std::array<bool, 128> present{};
  for (unsigned char flag : old_flags)
    if (flag < 128) present[flag] = true;

  bool differs = false;
  std::array<bool, 128> wanted{};
  for (size_t flag = 0; flag < wanted.size(); ++flag) {
    wanted[flag] = requests[flag] == 1 || (present[flag] && requests[flag] != -1);
    differs = differs || wanted[flag] != present[flag];
  }
  if (!differs) return false;

  changed.assign(line.substr(0, start));
  for (size_t flag = 0; flag < wanted.size(); ++flag)
    if (wanted[flag]) changed += static_cast<char>(flag);
  for (unsigned char flag : old_flags)
    if (flag >= 128) changed += static_cast<char>(flag);
  return true;
}
