// Attachment lines of a draft ("#type/subtype[#disposition] path[>name]")
// and the MIME part written for each.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

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

enum class TransferEncoding { SevenBit, EightBit, QuotedPrintable, Base64 };
TransferEncoding transfer_encoding_choose(std::string_view type, const ContentScan &scan,
                                          size_t length);

// Writes the part for one attachment line, after its delimiter: its
// headers and its encoded content, or with the type "quobix/raw" the file
// unchanged. Returns 0, or the errno value when the file cannot be read,
// in which case only the error message is written (on stderr).
int attach_file(std::string_view path_field, std::string_view type_field);
