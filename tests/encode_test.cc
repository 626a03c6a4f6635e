// qxencode end to end: drafts become MIME messages, byte for byte, and
// real MIME readers read them back.
#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include "harness.h"

namespace {

const std::string kMimeHeader =
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"BOUNDARY\"\n\n"
    "This is a multipart message in MIME format.\n";
const std::string kTextPart =
    "\n--BOUNDARY\n"
    "Content-Type: text/plain; charset=UTF-8\n"
    "Content-Disposition: inline\n"
    "Content-Transfer-Encoding: quoted-printable\n\n";
const std::string kDelimiter = "\n--BOUNDARY\n";
const std::string kClose = "\n--BOUNDARY--\n";

std::string replace_all(std::string text, const std::string &from, const std::string &to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

class Encode : public Sandbox {
 protected:
  // Runs qxencode with the draft on stdin; the run's boundary, checked
  // for its form, reads "BOUNDARY" in the output.
  RunResult encode(const std::string &draft, std::vector<std::string> options = {}) {
    options.insert(options.begin(), "qxencode");
    RunResult result = run(options, draft);
    std::smatch found;
    if (std::regex_search(result.out, found, std::regex("boundary=\"([^\"]*)\""))) {
      boundary = found[1];
      EXPECT_TRUE(std::regex_match(boundary, std::regex("----_=_[0-9a-f]{24}_=_"))) << boundary;
      result.out = replace_all(result.out, boundary, "BOUNDARY");
    }
    return result;
  }

  std::string boundary;
};

TEST_F(Encode, DraftBecomesMultipartMessage) {
  EXPECT_EQ(encode("Subject: hi\n\nHello\n"),
            (RunResult{"Subject: hi\n" + kMimeHeader + kTextPart + "Hello\n" + kClose, "", 0}));
  std::string first = boundary;
  encode("Subject: hi\n\nHello\n");
  EXPECT_NE(boundary, first);
}

TEST_F(Encode, HeaderWordsAreEncoded) {
  EXPECT_EQ(encode("From: \"J\xc3\xbcrgen Smith\" <j@example.org>\nSubject: caf\xc3\xa9 au lait\n"
                   "\nHello\n")
                .out,
            "From: =?UTF-8?Q?J=C3=BCrgen_Smith?= <j@example.org>\n"
            "Subject: =?UTF-8?Q?caf=C3=A9?= au lait\n" +
                kMimeHeader + kTextPart + "Hello\n" + kClose);
}

TEST_F(Encode, AttachmentsBecomePartsWhereTheyStand) {
  write_file("dir/a b.png", "png\n");
  EXPECT_EQ(encode("Subject: x\n\nHello\n#image/png dir/a b.png\nBye\n"),
            (RunResult{"Subject: x\n" + kMimeHeader + kTextPart + "Hello\n" + kDelimiter +
                           "Content-Disposition: attachment; filename=\"a b.png\"\n"
                           "Content-Type: image/png\n"
                           "Content-Transfer-Encoding: 7bit\n\n"
                           "png\n" +
                           kTextPart + "Bye\n" + kClose,
                       "", 0}));
}

TEST_F(Encode, DispositionAndAnnouncedName) {
  write_file("notes.txt", "n\n");
  std::string part_headers = "Content-Type: text/plain\nContent-Transfer-Encoding: 7bit\n\nn\n";
  EXPECT_EQ(encode("\n#text/plain#inline notes.txt>readme\n").out,
            kMimeHeader + kDelimiter + "Content-Disposition: inline; filename=readme\n" +
                part_headers + kClose);
  EXPECT_EQ(encode("\n#text/plain notes.txt>\n").out,
            kMimeHeader + kDelimiter + "Content-Disposition: attachment\n" + part_headers + kClose);
  EXPECT_EQ(encode("\n#text/plain notes.txt>r\xc3\xa9sum\xc3\xa9.txt\n").out,
            kMimeHeader + kDelimiter +
                "Content-Disposition: attachment;\n filename*0*=UTF-8''r%c3%a9sum%c3%a9.txt\n" +
                part_headers + kClose);
}

TEST_F(Encode, LinesOutsideTheGrammarAreText) {
  std::string lines = "#hello world\n#a/b/c x\n# x\n#image/png\n";
  EXPECT_EQ(encode("\n" + lines).out, kMimeHeader + kTextPart + lines + kClose);
}

TEST_F(Encode, MissingFileLeavesAnEmptyPartAndFails) {
  EXPECT_EQ(
      encode("\nbefore\n#text/plain nowhere/x.txt\nafter\n"),
      (RunResult{kMimeHeader + kTextPart + "before\n" + kDelimiter + kTextPart + "after\n" + kClose,
                 "qxencode: error attaching file 'nowhere/x.txt': No such file or "
                 "directory\n",
                 1}));
  // A failed attachment is no body line: the message still gets a text part.
  EXPECT_EQ(
      encode("\n#text/plain nowhere\n"),
      (RunResult{kMimeHeader + kDelimiter + kTextPart + kClose,
                 "qxencode: error attaching file 'nowhere': No such file or directory\n", 1}));
}

TEST_F(Encode, FilesThatCannotBeRead) {
  write_file("folder/x", "");
  EXPECT_EQ(encode("\n#text/plain folder\n").err,
            "qxencode: error attaching file 'folder': Is a directory\n");
  if (geteuid() != 0) {
    write_file("secret", "s");
    chmod(path("secret").c_str(), 0);
    EXPECT_EQ(encode("\n#text/plain secret\n").err,
              "qxencode: error attaching file 'secret': Permission denied\n");
  }
}

// Only a regular file is attached: a FIFO without a writer, a device that
// never ends or a directory is an error of that part, found before any of
// it is written, and the run goes on.
TEST_F(Encode, FileThatIsNoRegularFileIsRefused) {
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
  write_file("folder/x", "");
  EXPECT_EQ(
      encode("\n#text/plain fifo\n#application/octet-stream /dev/zero\n"
             "#text/plain folder\nend\n"),
      (RunResult{kMimeHeader + kDelimiter + kDelimiter + kDelimiter + kTextPart + "end\n" + kClose,
                 "qxencode: error attaching file 'fifo': Invalid argument\n"
                 "qxencode: error attaching file '/dev/zero': Invalid argument\n"
                 "qxencode: error attaching file 'folder': Is a directory\n",
                 1}));
}

TEST_F(Encode, TransferEncodingFollowsTheContent) {
  struct Case {
    std::string content, encoding, body;
  };
  const Case cases[] = {
      {std::string(78, 'a') + "\nb", "7bit", std::string(78, 'a') + "\nb"},
      {std::string(79, 'a') + "\n", "quoted-printable", std::string(75, 'a') + "=\naaaa\n"},
      {"abc\xff\xfe", "base64", "YWJj//4=\n"},
      {"caf\xc3\xa9 ok\n", "quoted-printable", "caf=C3=A9 ok\n"},
      {"one\r\ntwo\r\nthree!\r\n", "base64", "b25lDQp0d28NCnRocmVlIQ0K\n"},
      {"", "7bit", ""},
  };
  for (const auto &[content, encoding, body] : cases) {
    write_file("file", content);
    EXPECT_EQ(encode("\n#application/octet-stream file\n").out,
              kMimeHeader + kDelimiter +
                  "Content-Disposition: attachment; filename=file\n"
                  "Content-Type: application/octet-stream\n"
                  "Content-Transfer-Encoding: " +
                  encoding + "\n\n" + body + kClose)
        << content;
  }
}

TEST_F(Encode, MessageAndRawPartsGoOutUnchanged) {
  std::string message = "Subject: r\xc3\xa9\n\nbody\r\n";
  write_file("mail.eml", message);
  write_file("part", "Content-Type: text/x-own\n\nown\n");
  EXPECT_EQ(encode("\n#message/rfc822 mail.eml\n#quobix/raw part\n").out,
            kMimeHeader + kDelimiter +
                "Content-Disposition: attachment; filename=mail.eml\n"
                "Content-Type: message/rfc822\n"
                "Content-Transfer-Encoding: 8bit\n\n" +
                message + kDelimiter + "Content-Type: text/x-own\n\nown\n" + kClose);
}

TEST_F(Encode, DraftContentHeadersApplyToTextParts) {
  std::string html_part = replace_all(kTextPart, "text/plain", "text/html");
  EXPECT_EQ(encode("Content-Type: text/html; charset=UTF-8\n\na=b\n").out,
            kMimeHeader + html_part + "a=3Db\n" + kClose);
  std::string eight_bit_part = replace_all(kTextPart, "quoted-printable", "8bit");
  EXPECT_EQ(encode("content-transfer-encoding: 8bit\n\ncaf\xc3\xa9 =\n").out,
            kMimeHeader + eight_bit_part + "caf\xc3\xa9 =\n" + kClose);
  // A header left without its LF at the end of the draft still ends its line.
  EXPECT_EQ(
      encode("Content-Type: text/html").out,
      kMimeHeader + replace_all(kTextPart, "text/plain; charset=UTF-8", "text/html") + kClose);
}

// Headers written so that every reader reads them back: folds only at a
// blank, encoded words of at most 75 characters, a draft header's own
// continuation lines kept with it, RFC 2231 values with every byte outside
// attribute-char escaped.
TEST_F(Encode, HeadersThatReadersReadBack) {
  struct Case {
    std::string draft, expected;
  };
  const std::string ab = std::string(60, 'a');
  const Case cases[] = {
      // The token joined to the quoted string has no blank to fold at.
      {"Subject: " + ab + " \"q\"xxxxxxxxxx yy\n", "Subject: " + ab + " \"q\"xxxxxxxxxx\n yy\n"},
      // An escape at the end of a continuation line's word would make it 77.
      {"Subject: aaaa \"q\xc3\xa9\"zzzzzzzzzz  " + ab + "\"q\"y\n",
       "Subject: aaaa =?UTF-8?Q?q=C3=A9?= zzzzzzzzzz\n =?UTF-8?Q?_" + ab +
           "?=\n =?UTF-8?Q?=22q=22y?=\n"},
      // A continuation line of blanks alone would otherwise end the header.
      {"Subject: x\n \n", "Subject: x\n \n"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(encode(c.draft + "\n").out.substr(0, c.expected.size()), c.expected) << c.draft;
  std::string folded_part =
      replace_all(kTextPart, "text/plain; charset=UTF-8", "text/plain;\n\tcharset=UTF-8");
  EXPECT_EQ(encode("Content-Type: text/plain;\n\tcharset=UTF-8\nSubject: x\n\nbody\n").out,
            "Subject: x\n" + kMimeHeader + folded_part + "body\n" + kClose);
  write_file("f", "x\n");
  EXPECT_EQ(encode("\n#text/plain f>\xc3\xa9 100%*'x;y=z.txt\n").out,
            kMimeHeader + kDelimiter +
                "Content-Disposition: attachment;\n"
                " filename*0*=UTF-8''%c3%a9%20100%25%2a%27x%3by%3dz.txt\n"
                "Content-Type: text/plain\nContent-Transfer-Encoding: 7bit\n\nx\n" +
                kClose);
}

TEST_F(Encode, RawModeConvertsOnlyTheHeader) {
  EXPECT_EQ(encode("Subject: caf\xc3\xa9\n\n#text/plain x\nend \n", {"-r"}),
            (RunResult{"Subject: =?UTF-8?Q?caf=C3=A9?=\n"
                       "MIME-Version: 1.0\n"
                       "Content-Type: text/plain; charset=UTF-8\n"
                       "Content-Transfer-Encoding: quoted-printable\n\n"
                       "#text/plain x\nend=20\n",
                       "", 0}));
  EXPECT_EQ(encode("Content-Type:text/html\nContent-Transfer-Encoding: 8bit\nX: y\n", {"-r"}).out,
            "X: y\nMIME-Version: 1.0\nContent-Type:text/html\n"
            "Content-Transfer-Encoding: 8bit\n\n");
}

TEST_F(Encode, DraftEndingInsideItsHeader) {
  EXPECT_EQ(encode("Subject: x\n").out, "Subject: x\n" + kMimeHeader + kTextPart + kClose);
  EXPECT_EQ(encode("").out, kMimeHeader + kTextPart + kClose);
  EXPECT_EQ(encode("MIME-Version: 1.0\n").out,
            "MIME-Version: 1.0\n" + kMimeHeader + kTextPart + kClose);
}

TEST_F(Encode, NulByteInABodyLineIsEncoded) {
  EXPECT_EQ(encode(std::string("\na\0b\nc\n", 7)).out,
            kMimeHeader + kTextPart + "a=00b\nc\n" + kClose);
}

TEST_F(Encode, ContainerTypeOption) {
  EXPECT_EQ(encode("\nx\n", {"-t", "multipart/alternative"}).out,
            replace_all(kMimeHeader, "mixed", "alternative") + kTextPart + "x\n" + kClose);
}

TEST_F(Encode, UsageErrors) {
  const std::string usage = "Usage: qxencode [-c|-r] [-t CONTENT-TYPE] < message\n";
  EXPECT_EQ(run({"qxencode", "-x"}),
            (RunResult{"", "qxencode: invalid option -- 'x'\n" + usage, 1}));
  EXPECT_EQ(run({"qxencode", "-t"}),
            (RunResult{"", "qxencode: option requires an argument -- 't'\n" + usage, 1}));
  EXPECT_EQ(run({"qxencode", "draft"}), (RunResult{"", usage, 1}));
}

TEST_F(Encode, ReadErrorEndsTheRun) {
  RunResult result = run({"/bin/sh", "-c", bin_dir() + "/qxencode < ."});
  EXPECT_EQ(result.status, 1);
}

TEST_F(Encode, CheckMode) {
  struct Case {
    std::string message;
    int plain, relaxed;  // status without and with QUOBIX_RELAXED_MIME
  };
  const Case cases[] = {
      {"Subject: hi\n\n" + std::string(78, 'a') + "\n", 0, 0},
      {"Subject: caf\xc3\xa9\n\nbody\n", 1, 1},
      {"Subject: hi\n\nbody\r\n", 1, 1},
      {"Subject: hi\n\n" + std::string(79, 'a') + "\n", 1, 0},
      {"Subject: hi\n\n" + std::string(998, 'a') + "\n", 1, 0},
      {"Subject: hi\n\n" + std::string(999, 'a') + "\n", 1, 1},
      {"Subject: hi\n\nbody", 1, 1},
      {"", 1, 1},
      {"X: " + std::string(994, 'a') + "\n\nbody\n", 0, 0},
      {"X: " + std::string(995, 'a') + "\n\nbody\n", 1, 1},
      {"\n" + std::string(79, 'a') + "\n", 1, 0},
  };
  for (const auto &[message, plain, relaxed] : cases) {
    set_env("QUOBIX_RELAXED_MIME", std::nullopt);
    EXPECT_EQ(run({"qxencode", "-c"}, message), (RunResult{"", "", plain})) << message;
    set_env("QUOBIX_RELAXED_MIME", "");
    EXPECT_EQ(run({"qxencode", "-c", "-r"}, message), (RunResult{"", "", relaxed})) << message;
  }
}

// Python's email package, with its default policy, reads the message
// back: every part's decoded bytes go to files part0, part1..., and the
// header values, file names and any defects are printed. Python keeps the
// folding white space of a value that starts on a continuation line; it
// is no part of the value and is dropped.
const char kReader[] = R"(
import sys, email, email.policy
with open(sys.argv[1], 'rb') as f:
    msg = email.message_from_binary_file(f, policy=email.policy.default)
for name, value in msg.items():
    print(name + ': ' + str(value).lstrip(' '))
parts = list(msg.iter_parts()) if msg.is_multipart() else [msg]
for i, part in enumerate(parts):
    with open('part%d' % i, 'wb') as out:
        out.write(part.get_payload(decode=True))
    print('part%d %s %s' % (i, part.get_content_type(), part.get_filename()))
for part in msg.walk():
    for defect in part.defects:
        print('defect', type(defect).__name__)
)";

class RealReader : public Encode {
 protected:
  void SetUp() override {
    Encode::SetUp();
    set_env("PYTHONIOENCODING", "utf-8");
    if (run({"/usr/bin/env", "python3", "-c", "import email.policy"}).status != 0)
      GTEST_SKIP() << "python3 with its email package is not available";
  }

  // Encodes the draft and returns what the reader prints about it.
  std::string read_back(const std::string &draft, const std::vector<std::string> &options = {}) {
    std::vector<std::string> argv = {"qxencode"};
    argv.insert(argv.end(), options.begin(), options.end());
    RunResult encoded = run(argv, draft);
    EXPECT_EQ(encoded.status, 0) << encoded.err;
    write_file("message.eml", encoded.out);
    longest_line = 0;
    size_t start = 0;
    for (size_t end; (end = encoded.out.find('\n', start)) != std::string::npos; start = end + 1)
      longest_line = std::max(longest_line, end - start);
    RunResult read = run({"/usr/bin/env", "python3", "-c", kReader, "message.eml"});
    EXPECT_EQ(read.err, "");
    return read.out;
  }

  size_t longest_line = 0;
};

std::string repeat(const std::string &piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

// Bytes of every value, NUL and CR included, in an order that is not a
// pattern any encoder could mistake for text.
std::string binary_bytes(size_t length) {
  std::string bytes(length, '\0');
  unsigned state = 12345;
  for (char &byte : bytes) {
    state = state * 1103515245 + 12345;
    byte = static_cast<char>(state >> 16);
  }
  return bytes;
}

TEST_F(RealReader, AttachmentsDecodeToTheirFiles) {
  const std::vector<std::string> contents = {
      binary_bytes(100000),
      "caf\xc3\xa9\nFrom here\n.\n..\ntrailing \t\n" + repeat("\xc3\xa9t\xc3\xa9 ", 60) +
          "\nlast without LF \xe2\x82\xac",
      repeat("long ascii line ", 20) + "\n=\n",
      "dos\r\nlines\r\n",
      std::string("nul\0byte\n", 9),
      "",
      "plain\n",
  };
  std::string draft = "Subject: files\n\n";
  for (size_t i = 0; i < contents.size(); ++i) {
    write_file("file" + std::to_string(i), contents[i]);
    draft += "#application/octet-stream file" + std::to_string(i) + "\n";
  }
  std::string printed = read_back(draft);
  EXPECT_EQ(printed.find("defect"), std::string::npos) << printed;
  for (size_t i = 0; i < contents.size(); ++i)
    EXPECT_EQ(read_file("part" + std::to_string(i)), contents[i]) << i;
  EXPECT_LE(longest_line, 78u);
}

TEST_F(RealReader, FileNamesReadBackAsGiven) {
  write_file("f", "x\n");
  const std::vector<std::string> names = {
      "a b.png",
      "r\xc3\xa9sum\xc3\xa9.txt",
      "semi;colon=x.txt",
      "\xc3\xa9 100%*'x;y=z(\"q\")@<>,:\\/[]?.txt",
      std::string(36, 'n'),
      std::string(37, 'n'),
      repeat("Gr\xc3\xbc\xc3\x9f"
             "e \"aus\" K\xc3\xb6ln ",
             8) +
          ".pdf",
  };
  std::string draft = "\n";
  for (const auto &name : names) draft += "#text/plain f>" + name + "\n";
  std::string printed = read_back(draft);
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_NE(printed.find("part" + std::to_string(i) + " text/plain " + names[i] + "\n"),
              std::string::npos)
        << names[i] << "\n"
        << printed;
  EXPECT_EQ(printed.find("defect"), std::string::npos) << printed;
  EXPECT_LE(longest_line, 78u);
}

TEST_F(RealReader, EncodedWordsDecodeToTheDraftText) {
  const std::string emoji = "\xf0\x9f\x98\x80";
  std::vector<std::string> values = {
      "caf\xc3\xa9 cr\xc3\xa8me",
      "caf\xc3\xa9   au  lait",
      "au   caf\xc3\xa9",
      repeat("\xc3\xa9", 50),
      repeat("Gr\xc3\xbc\xc3\x9f"
             "e aus K\xc3\xb6ln \xe2\x80\x94 10 \xe2\x82\xac pro St\xc3\xbc"
             "ck, ",
             6) +
          "!",
      std::string(1001, 'a'),
  };
  // Words of every kind starting at every column around the fold limits.
  for (size_t column = 40; column <= 80; ++column) {
    std::string filler(column - 10, 'f');
    values.push_back(filler + " " + repeat(emoji, 8));
    values.push_back(filler + " " + repeat("\xe2\x82\xac", 7) + " tail");
    values.push_back(filler + " \xc3\xa9t\xc3\xa9 plain words");
    values.push_back(filler + " plain " + repeat("x", column % 7 + 1));
  }
  std::string draft = "From: \"Smith, J\xc3\xbcrgen\" <j@example.org>\n";
  std::string expected = "From: \"Smith, J\xc3\xbcrgen\" <j@example.org>\n";
  for (size_t i = 0; i < values.size(); ++i) {
    std::string name = "X-Test-" + std::to_string(i) + ": ";
    draft += name + values[i] + "\n";
    expected += name + values[i] + "\n";
  }
  std::string printed = read_back(draft + "\nbody\n", {"-r"});
  EXPECT_EQ(printed.substr(0, expected.size()), expected);
  EXPECT_EQ(printed.find("defect"), std::string::npos) << printed;
  EXPECT_LE(longest_line, 78u);
}

TEST_F(RealReader, BodyTextSurvivesWhole) {
  std::string text = std::string(1 << 20, 'm') + "\n" + repeat("\xc3\xa9", 1000) + "\n" +
                     std::string("nul\0inside\n", 12) + "From the start\n.\n";
  read_back("\n" + text);
  EXPECT_EQ(read_file("part0"), text);
  EXPECT_LE(longest_line, 78u);
}

}  // namespace
