// qxencode's default and raw modes: a draft on stdin becomes a MIME
// message on stdout.
#pragma once

#include <string_view>

struct ComposeOptions {
  bool raw = false;  // one text part, attachment lines left as text
  std::string_view multipart_type = "multipart/mixed";
};

// Reads the draft from stdin and writes the message. Returns the exit
// status: 0, or 1 when an attachment failed or stdin could not be read.
int compose(const ComposeOptions &options);
