#include "attach.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base64.h"
#include "disposition.h"
#include "output.h"
#include "qp.h"
#include "util/files.h"

namespace {

constexpr size_t kLongest7bitLine = 78;
constexpr int kQpLineLimit = 78;

constexpr bool is_type_byte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("/#+-.;=").find(c) != std::string_view::npos;
}

constexpr std::string_view kEncodingNames[] = {"7bit", "8bit", "quoted-printable", "base64"};

}  // namespace

std::optional<AttachmentLine> attachment_line_parse(std::string_view line) {
  size_t space = line.find(' ');
  if (!line.starts_with('#') || space == std::string_view::npos) return std::nullopt;
  std::string_view type = line.substr(1, space - 1);
  std::string_view path = line.substr(space + 1);
  // A file name cannot hold a NUL, so such a line is text.
  if (type.empty() || std::count(type.begin(), type.end(), '/') != 1 ||
      !std::all_of(type.begin(), type.end(), is_type_byte) ||
      path.find('\0') != std::string_view::npos)
    return std::nullopt;
  return AttachmentLine{type, path};
}

constexpr unsigned char is_control(unsigned char byte) {
  return (byte < 0x20) & (byte != '\t') & (byte != '\n');
}

ContentScan content_scan(std::string_view content) {
  ContentScan scan;
  const auto *bytes = reinterpret_cast<const unsigned char *>(content.data());
  size_t at = 0;
  // Fixed blocks without branches, counted in bytes that cannot overflow,
  // let the compiler turn this pass over the whole file into vector code.
  constexpr size_t kBlock = 128;
  for (; at + kBlock <= content.size(); at += kBlock) {
    unsigned char control = 0;
    unsigned char eight_bit = 0;
    for (size_t i = 0; i < kBlock; ++i) {
      control += is_control(bytes[at + i]);
      eight_bit += bytes[at + i] >> 7;
    }
    scan.control += control;
    scan.eight_bit += eight_bit;
  }
  for (; at < content.size(); ++at) {
    scan.control += is_control(bytes[at]);
    scan.eight_bit += bytes[at] >> 7;
  }
  const char *line = content.data();
  const char *end = line + content.size();
  while (const void *found = memchr(line, '\n', static_cast<size_t>(end - line))) {
    const char *lf = static_cast<const char *>(found);
    scan.longest_line = std::max(scan.longest_line, static_cast<size_t>(lf - line));
    line = lf + 1;
  }
  return scan;
}

TransferEncoding transfer_encoding_choose(std::string_view type, const ContentScan &scan,
                                          size_t length) {
  bool plain = scan.control == 0 && scan.eight_bit == 0;
  if (type == "message/rfc822")
    return plain ? TransferEncoding::SevenBit : TransferEncoding::EightBit;
  if (plain)
    return scan.longest_line <= kLongest7bitLine ? TransferEncoding::SevenBit
                                                 : TransferEncoding::QuotedPrintable;
  if (scan.control > length / 10 || scan.eight_bit > length / 4) return TransferEncoding::Base64;
  return TransferEncoding::QuotedPrintable;
}

int attach_file(std::string_view path_field, std::string_view type_field) {
  size_t hash = type_field.find('#');
  std::string_view type = type_field.substr(0, hash);
  std::string_view disposition =
      hash == std::string_view::npos ? "attachment" : type_field.substr(hash + 1);

  size_t arrow = path_field.find('>');
  std::string path(path_field.substr(0, arrow));
  std::string_view filename;
  if (arrow != std::string_view::npos)
    filename = path_field.substr(arrow + 1);
  else
    filename = std::string_view(path).substr(path.rfind('/') + 1);  // npos + 1 is 0

  std::unique_ptr<char[]> buffer;
  size_t length = 0;
  if (int error = file_slurp(path.c_str(), buffer, length)) {
    fprintf(stderr, "qxencode: error attaching file '%s': %s\n", path.c_str(), strerror(error));
    return error;
  }
  std::string_view content(buffer.get(), length);
  if (type == "quobix/raw") {
    out_text(content);  // a complete part, headers included
    return 0;
  }

  TransferEncoding encoding = transfer_encoding_choose(type, content_scan(content), length);
  write_disposition(disposition, filename);
  out_text("Content-Type: ");
  out_text(type);
  out_text("\nContent-Transfer-Encoding: ");
  out_text(kEncodingNames[static_cast<int>(encoding)]);
  out_text("\n\n");
  if (encoding == TransferEncoding::Base64)
    encode_base64(content);
  else if (encoding == TransferEncoding::QuotedPrintable)
    encode_qp(content, kQpLineLimit, 0);
  else
    out_text(content);
  return 0;
}
