// The Configuration directory and the Current message: where the user's
// state files live, and the symbolic link that names the Current message.
#pragma once

// Path of the file called name in the Configuration directory ($QUOBIX,
// else ~/.quobix), or "/dev/null/homeless" when there is no home directory.
// Points into a static 1024-byte buffer that the next call overwrites; a
// path that does not fit is reported (path_too_long) and null returned.
const char *config_path(const char *name);

// The Current message's file name ($MAILDOT, else the target of the link
// $MAILCUR or <config>/cur), or nullptr. Valid until the next call.
const char *current_get();

// Makes name the Current message by renaming a fresh link over the old one.
// Returns 0 (also when nothing is to be done) or -1.
int current_set(const char *name);
