// Writes an mbox of COUNT messages of about SIZE bytes each to standard
// output, with the lines qxstore -M has work on: Status headers, Date
// headers and escaped "From " lines.
// Usage: mbox_gen COUNT SIZE
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char *argv[]) {
  if (argc != 3) {
    fputs("Usage: mbox_gen COUNT SIZE\n", stderr);
    return 1;
  }
  long count = atol(argv[1]);
  size_t size = static_cast<size_t>(atol(argv[2]));
  const std::string line =
      "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod\n";
  for (long i = 0; i < count; ++i) {
    std::string message = "From sender" + std::to_string(i % 97) +
                          "@example.org Mon Jan  1 00:00:00 2024\n"
                          "From: Sender <sender" +
                          std::to_string(i % 97) +
                          "@example.org>\n"
                          "To: someone@example.org\n"
                          "Subject: message " +
                          std::to_string(i) +
                          "\n"
                          "Date: Mon, " +
                          std::to_string(1 + i % 28) +
                          " Jan 2024 12:34:56 +0100\n"
                          "Message-ID: <" +
                          std::to_string(i) + "@example.org>\n";
    if (i % 3 == 0) message += "Status: RO\nX-Status: A\n";
    message += "\n>From the archive, a quoted line\n";
    while (message.size() + line.size() < size - 1) message += line;
    message += "\n";
    fwrite(message.data(), 1, message.size(), stdout);
  }
  return 0;
}
