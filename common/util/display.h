// Text from mail shown to a person: the bytes a terminal would act on
// (controls, bidirectional overrides, invalid UTF-8) are written in a
// visible form when standard output is a terminal, and passed through
// untouched into a pipe or file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Writes text to out. Only when out is standard output and that is a
// terminal (decided once per run) is the visible form written; otherwise
// the bytes go out as they are, at the cost of one fwrite. Returns 0, or
// EOF when the write failed.
int display_write(FILE *out, std::string_view text);

// display_write of text and a LF after it.
int display_line(FILE *out, std::string_view text);

// Writes the visible form of text: TAB and LF pass (LF only when
// keep_newline), a CR just before a kept LF passes, every other C0 control
// and DEL becomes caret notation ("^[", "^?"), a C1 or bidirectional
// control code point "\u202E"-style, and a byte outside valid UTF-8 "\xNN".
// Returns 0, or EOF when the write failed.
int display_visible(FILE *out, std::string_view text, bool keep_newline = true);

// The visible form as a string, LF included, for naming odd file names in
// a one-line message on standard error.
std::string display_escaped(std::string_view text);

// Writes "<tool>: <folder>: skipped a name holding a newline: <name>" to
// standard error (both escaped), for a listing that leaves such an entry
// out: handed on, it would read as two names.
void newline_name_skipped(const char *folder, const char *name);

// Turns every CR and LF in the NUL-terminated text into a space, so that
// text decoded from mail stays on the one line it is printed on.
void line_flatten(char *text);
