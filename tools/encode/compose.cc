#include "compose.h"

#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "attach.h"
#include "header_line.h"
#include "output.h"
#include "qp.h"

namespace {

constexpr int kQpLineLimit = 78;
constexpr std::string_view kDefaultContentType = " text/plain; charset=UTF-8\n";
constexpr std::string_view kDefaultTransferEncoding = " quoted-printable\n";

// The draft, one line at a time, in a buffer getdelim grows as needed.
struct LineReader {
  char *buffer = nullptr;
  size_t capacity = 0;

  LineReader() = default;
  LineReader(const LineReader &) = delete;
  LineReader &operator=(const LineReader &) = delete;
  ~LineReader() { free(buffer); }

  // The next line with its LF, or nullopt at the end of input or on error.
  std::optional<std::string_view> next() {
    ssize_t length = getdelim(&buffer, &capacity, '\n', stdin);
    if (length < 0) return std::nullopt;
    return std::string_view(buffer, static_cast<size_t>(length));
  }
};

struct Composer {
  explicit Composer(const ComposeOptions &chosen) : options(chosen) {}

  const ComposeOptions &options;
  char boundary[100] = {};
  // The draft's values, as they stand after the header name.
  std::optional<std::string> content_type;
  std::optional<std::string> transfer_encoding;
  // The remembered value that the last header line went to, which takes
  // the continuation lines that follow it.
  std::optional<std::string> *continued_value = nullptr;
  bool in_header = true;
  bool no_body_line_yet = true;
  bool text_part_open = false;
  int result = 0;
};

void boundary_build(Composer &composer) {
  long first = lrand48();
  long second = lrand48();
  long third = lrand48();
  snprintf(composer.boundary, sizeof composer.boundary, "----_=_%08lx%08lx%08lx_=_", third, second,
           first);
}

void delimiter_write(const Composer &composer) { printf("\n--%s\n", composer.boundary); }

std::string_view value_or(const std::optional<std::string> &value, std::string_view fallback) {
  return value ? std::string_view(*value) : fallback;
}

// Keeps what follows a header name; a last line that lacked its LF gets
// one, as the value is written back as a whole line.
bool remember_value(std::string_view line, std::string_view name,
                    std::optional<std::string> &value) {
  if (line.size() < name.size() || strncasecmp(line.data(), name.data(), name.size()) != 0)
    return false;
  value.emplace(line.substr(name.size()));
  if (!value->ends_with('\n')) value->push_back('\n');
  return true;
}

void header_end(Composer &composer) {
  composer.in_header = false;
  out_text("MIME-Version: 1.0\n");
  if (composer.options.raw) {
    out_text("Content-Type:");
    out_text(value_or(composer.content_type, kDefaultContentType));
    out_text("Content-Transfer-Encoding:");
    out_text(value_or(composer.transfer_encoding, kDefaultTransferEncoding));
    out_byte('\n');
  } else {
    printf("Content-Type: %.*s; boundary=\"%s\"\n\n",
           static_cast<int>(composer.options.multipart_type.size()),
           composer.options.multipart_type.data(), composer.boundary);
    out_text("This is a multipart message in MIME format.\n");
  }
}

void header_line(Composer &composer, std::string_view line) {
  if (line == "\n") return header_end(composer);
  // A header line is text up to its first NUL.
  line = std::string_view(line.data(), strnlen(line.data(), line.size()));
  bool continuation = line.starts_with(' ') || line.starts_with('\t');
  if (continuation && composer.continued_value) {
    std::string &value = **composer.continued_value;
    value.append(line);
    if (!value.ends_with('\n')) value.push_back('\n');
    return;
  }
  composer.continued_value = nullptr;
  if (remember_value(line, "Content-Type:", composer.content_type))
    composer.continued_value = &composer.content_type;
  else if (remember_value(line, "Content-Transfer-Encoding:", composer.transfer_encoding))
    composer.continued_value = &composer.transfer_encoding;
  else
    encode_header_line(line);
}

void text_part_open(Composer &composer) {
  delimiter_write(composer);
  out_text("Content-Type:");
  out_text(value_or(composer.content_type, kDefaultContentType));
  out_text("Content-Disposition: inline\nContent-Transfer-Encoding:");
  out_text(value_or(composer.transfer_encoding, kDefaultTransferEncoding));
  out_byte('\n');
  composer.text_part_open = true;
}

// A body line goes out whole, NUL bytes included: unchanged when the draft
// declared its own transfer encoding, else as quoted-printable.
void body_text(const Composer &composer, std::string_view line) {
  if (composer.transfer_encoding)
    out_text(line);
  else
    encode_qp(line, kQpLineLimit, 0);
}

void body_line(Composer &composer, std::string_view line) {
  if (!composer.options.raw) {
    std::string_view text = line.substr(0, line.find('\n'));
    if (auto attachment = attachment_line_parse(text)) {
      delimiter_write(composer);
      composer.text_part_open = false;
      if (attach_file(attachment->path_field, attachment->type_field) != 0)
        composer.result = 1;
      else
        composer.no_body_line_yet = false;
      return;
    }
    if (!composer.text_part_open) text_part_open(composer);
  }
  body_text(composer, line);
  composer.no_body_line_yet = false;
}

void line_handle(Composer &composer, std::string_view line) {
  if (composer.in_header)
    header_line(composer, line);
  else
    body_line(composer, line);
}

}  // namespace

int compose(const ComposeOptions &options) {
  // Into a pipe or a file the output goes in large blocks; a terminal
  // keeps its line buffering.
  static char output_buffer[64 * 1024];
  if (!isatty(STDOUT_FILENO)) setvbuf(stdout, output_buffer, _IOFBF, sizeof output_buffer);
  Composer composer(options);
  boundary_build(composer);
  LineReader reader;
  while (auto line = reader.next()) line_handle(composer, *line);
  if (ferror(stdin)) return 1;
  // A draft without body lines still makes a whole message: its header
  // ends here, and in multipart mode it gets one empty text part.
  if (composer.no_body_line_yet) {
    if (composer.in_header) header_line(composer, "\n");
    body_line(composer, "");
  }
  if (!options.raw) printf("\n--%s--\n", composer.boundary);
  return composer.result;
}
