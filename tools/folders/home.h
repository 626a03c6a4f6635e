// The leading "~/" of the Profile's mail directory, resolved against the
// user's home directory.
#pragma once

// value itself, or for a value beginning with "~/" the home directory ($HOME
// when set, even empty; else the password entry's; else
// "/dev/null/homeless"), a slash and the rest, in a static 1024-byte buffer
// that the next call overwrites. A result that does not fit is reported
// (path_too_long) and null is returned.
const char *home_expand(const char *value);
