// File paths built into fixed buffers: one size for every path the tools
// make, and one rule for a path that does not fit.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

// Bytes of a path buffer, NUL included.
constexpr size_t kPathSize = 1024;

using PathBuffer = char[kPathSize];

// Writes the parts one after another into buffer, always NUL-terminated.
// Returns true when the whole path fits; otherwise buffer holds the path
// cut to fit, errno is ENAMETOOLONG and the result is false.
[[nodiscard]] bool path_join(PathBuffer &buffer, std::initializer_list<std::string_view> parts);

// Writes "<tool>: <the path's first bytes>...: File name too long" to
// standard error, for a path that did not fit and is not used; the same
// path again is not told twice.
void path_too_long(std::string_view path);

// path_join for a path that is skipped when it does not fit: returns
// buffer, or null after path_too_long.
const char *path_join_or_report(PathBuffer &buffer, std::initializer_list<std::string_view> parts);
