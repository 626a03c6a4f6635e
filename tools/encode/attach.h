// Attachment lines of a draft ("#type/subtype[#disposition] path[>name]")
// and the MIME part written for each.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "base64.h"

// An attached file is read in pieces of this size: whole base64 lines, so
// that every piece but the last ends with a line.
constexpr size_t kPieceSize = 1152 * kBase64LineBytes;

struct AttachmentLine {
  std::string_view type_field;  // between "#" and the first space
  std::string_view path_field;  // the rest, which may hold spaces and ">"
};

// The attachment a body line (without its LF) asks for, if it is one.
std::optional<AttachmentLine> attachment_line_parse(std::string_view line);

// What one pass over an attached file finds.
struct ContentScan {
  size_t control = 0;       // bytes below 0x20 other than tab and LF
  size_t eight_bit = 0;     // bytes of 0x80 and above
  size_t longest_line = 0;  // bytes between two LFs; an unended last line is not counted
};
ContentScan content_scan(std::string_view content);
// Adds the next piece of a content to scan; line holds the length of the
// line not yet ended, 0 at the start.
void content_scan_add(ContentScan &scan, std::string_view piece, size_t &line);

enum class TransferEncoding { SevenBit, EightBit, QuotedPrintable, Base64 };
TransferEncoding transfer_encoding_choose(std::string_view type, const ContentScan &scan,
                                          size_t length);

// Writes the part for one attachment line, after its delimiter: its
// headers and its encoded content, or with the type "quobix/raw" the file
// unchanged. The file is read twice (scanned, then encoded) through one
// fixed buffer, so memory stays small whatever its size. Returns 0, or the
// errno value when the file cannot be read; a file that cannot be opened
// or is no regular file gets only the error message (on stderr).
int attach_file(std::string_view path_field, std::string_view type_field);
