// The Content-Disposition header of an attachment, with its filename.
#pragma once

#include <string_view>

// Writes one complete Content-Disposition line to stdout. The filename is
// left out when empty, written plainly or in double quotes when short and
// printable, and otherwise in RFC 2231 segments ("filename*0*=UTF-8''...").
void write_disposition(std::string_view disposition, std::string_view filename);
