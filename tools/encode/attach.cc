#include "attach.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

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

void content_scan_add(ContentScan &scan, std::string_view piece, size_t &line) {
  const auto *bytes = reinterpret_cast<const unsigned char *>(piece.data());
  size_t at = 0;
  // Fixed blocks without branches, counted in bytes that cannot overflow,
  // let the compiler turn this pass over the whole file into vector code.
  constexpr size_t kBlock = 128;
  for (; at + kBlock <= piece.size(); at += kBlock) {
    unsigned char control = 0;
    unsigned char eight_bit = 0;
    for (size_t i = 0; i < kBlock; ++i) {
      control += is_control(bytes[at + i]);
      eight_bit += bytes[at + i] >> 7;
    }
    scan.control += control;
    scan.eight_bit += eight_bit;
  }
  for (; at < piece.size(); ++at) {
    scan.control += is_control(bytes[at]);
    scan.eight_bit += bytes[at] >> 7;
  }
  const char *start = piece.data();
  const char *end = start + piece.size();
  while (const void *found = memchr(start, '\n', static_cast<size_t>(end - start))) {
    const char *lf = static_cast<const char *>(found);
    scan.longest_line = std::max(scan.longest_line, line + static_cast<size_t>(lf - start));
    line = 0;
    start = lf + 1;
  }
  line += static_cast<size_t>(end - start);
}

ContentScan content_scan(std::string_view content) {
  ContentScan scan;
  size_t line = 0;
  content_scan_add(scan, content, line);
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

namespace {

int attach_error(const std::string &path, int error) {
  fprintf(stderr, "qxencode: error attaching file '%s': %s\n", path.c_str(), strerror(error));
  return error;
}

// Opens an attachment without waiting on a FIFO or a device, and accepts
// only a regular file: anything else could block or never end.
int attached_open(const std::string &path, UniqueFd &fd, size_t &size) {
  fd = UniqueFd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat status;
  if (!fd || fstat(fd.fd, &status) != 0) return errno;
  size = static_cast<size_t>(status.st_size);
  if (!S_ISREG(status.st_mode)) return S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
  int flags = fcntl(fd.fd, F_GETFL);
  if (flags < 0 || fcntl(fd.fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
  return 0;
}

// The file read from its start in pieces of at most kPieceSize bytes,
// each but the last full, and no more than limit bytes in all.
struct PieceReader {
  int fd;
  size_t limit;
  std::unique_ptr<char[]> buffer = std::make_unique<char[]>(kPieceSize + kQpLookahead);
  size_t total = 0;
  bool at_end = false;
};

int reader_rewind(PieceReader &reader) {
  reader.total = 0;
  reader.at_end = false;
  return lseek(reader.fd, 0, SEEK_SET) < 0 ? errno : 0;
}

// Reads the next piece into the buffer after keep bytes already there.
// Returns 0 with the length of the piece (keep included), or an errno value.
int piece_read(PieceReader &reader, size_t keep, size_t &length) {
  length = keep;
  while (length < kPieceSize + keep && !reader.at_end) {
    size_t wanted = std::min(kPieceSize + keep - length, reader.limit - reader.total);
    ssize_t got = wanted == 0 ? 0 : read(reader.fd, reader.buffer.get() + length, wanted);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) reader.at_end = true;
    length += static_cast<size_t>(got);
    reader.total += static_cast<size_t>(got);
  }
  return 0;
}

// Whether the rest of a content of size bytes can no longer change its
// encoding: the counts only grow, and past these marks the choice is made.
bool encoding_settled(std::string_view type, const ContentScan &scan, size_t size) {
  if (type == "message/rfc822") return scan.control > 0 || scan.eight_bit > 0;
  return scan.control > size / 10 || scan.eight_bit > size / 4;
}

// Scans the content, stopping early once its encoding is settled; size is
// its length as fstat gives it. Returns 0 with the length to encode, or an
// errno value.
int content_read_scan(PieceReader &reader, std::string_view type, size_t size, ContentScan &scan,
                      size_t &length) {
  size_t line = 0;
  for (size_t got; !reader.at_end;) {
    if (int error = piece_read(reader, 0, got)) return error;
    content_scan_add(scan, {reader.buffer.get(), got}, line);
    if (encoding_settled(type, scan, size)) {
      length = size;
      return 0;
    }
  }
  length = reader.total;
  return 0;
}

int content_copy(PieceReader &reader) {
  for (size_t length; !reader.at_end;) {
    if (int error = piece_read(reader, 0, length)) return error;
    out_text({reader.buffer.get(), length});
  }
  return 0;
}

int content_base64(PieceReader &reader) {
  do {
    size_t length;
    if (int error = piece_read(reader, 0, length)) return error;
    encode_base64_piece({reader.buffer.get(), length}, reader.at_end);
  } while (!reader.at_end);
  return 0;
}

// The last few bytes of each piece are carried into the next, as the
// rules for the bytes before them look ahead.
int content_qp(PieceReader &reader) {
  int column = 0;
  size_t keep = 0;
  do {
    size_t length;
    if (int error = piece_read(reader, keep, length)) return error;
    size_t count = reader.at_end ? length : length - kQpLookahead;
    column = encode_qp_body({reader.buffer.get(), length}, count, kQpLineLimit, column);
    keep = length - count;
    memmove(reader.buffer.get(), reader.buffer.get() + count, keep);
  } while (!reader.at_end);
  qp_body_end(column);
  return 0;
}

int content_write(PieceReader &reader, TransferEncoding encoding) {
  if (encoding == TransferEncoding::Base64) return content_base64(reader);
  if (encoding == TransferEncoding::QuotedPrintable) return content_qp(reader);
  return content_copy(reader);
}

}  // namespace

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

  UniqueFd fd;
  size_t size = 0;
  if (int error = attached_open(path, fd, size)) return attach_error(path, error);
  PieceReader reader{fd.fd, static_cast<size_t>(-1)};
  if (type == "quobix/raw") {
    // A complete part, headers included.
    if (int error = content_copy(reader)) return attach_error(path, error);
    return 0;
  }

  ContentScan scan;
  size_t length;
  if (int error = content_read_scan(reader, type, size, scan, length))
    return attach_error(path, error);
  // The second pass encodes no more bytes than the choice was made for.
  reader.limit = length;
  if (int error = reader_rewind(reader)) return attach_error(path, error);

  TransferEncoding encoding = transfer_encoding_choose(type, scan, length);
  write_disposition(disposition, filename);
  out_text("Content-Type: ");
  out_text(type);
  out_text("\nContent-Transfer-Encoding: ");
  out_text(kEncodingNames[static_cast<int>(encoding)]);
  out_text("\n\n");
  if (int error = content_write(reader, encoding)) return attach_error(path, error);
  return 0;
}
