// Maildir flags: the letters after ":2," in a message file name, kept in
// ascending byte order, and the requests that set or clear them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Per flag byte: 1 set, -1 clear, 0 leave alone. Only bytes below 128 are
// flags; the others are never requested.
using FlagRequests = std::array<int8_t, 256>;

// Records a request for every byte of letters (1 set, -1 clear), ignoring
// bytes of 128 and above.
void flags_request(FlagRequests &requests, std::string_view letters, int8_t request);

// The line with its flag part rewritten under the requests: the line up to
// and including ":2,", the resulting flags in ascending order, then any
// bytes of 128 and above of the old flag part untouched. Returns false when
// the line has no ":2," or no flag changes.
bool flags_apply(std::string_view line, const FlagRequests &requests, std::string &changed);
