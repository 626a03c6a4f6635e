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

// For the callers that still act on a path cut to fit (the Configuration
// directory's files, a "~/" expanded in the Profile): path_join with the
// failure ignored, returning buffer. Refusing cut paths there too is a
// change to this function and its two callers.
const char *path_join_or_cut(PathBuffer &buffer, std::initializer_list<std::string_view> parts);
