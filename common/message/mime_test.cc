// mime_walk and its helpers: parts, boundaries, decoding, results, depth.
#include "message/mime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Visit {
  int depth;
  std::string body;
  bool operator==(const Visit &) const = default;
};
void PrintTo(const Visit &visit, std::ostream *os) {
  *os << "{" << visit.depth << ", \"" << visit.body << "\"}";
}

struct Walk {
  int result;
  std::vector<Visit> visits;
};

// Walks a message made from text with a visitor that, like the search
// tool, writes a NUL after each body; answer gives the visitor's result.
Walk walk_text(const std::string &text, const std::function<int(const Visit &)> &answer = nullptr) {
  std::string buffer = text;  // its terminator is the byte after the last body
  MessagePtr message = message_from_memory(buffer.data(), buffer.size());
  EXPECT_TRUE(message);
  Walk walk{0, {}};
  walk.result = mime_walk(*message, 0, [&](int depth, const Message &, char *body, size_t length) {
    body[length] = '\0';
    walk.visits.push_back({depth, std::string(body, length)});
    return answer ? answer(walk.visits.back()) : 0;
  });
  EXPECT_EQ(buffer, text) << "the walk changed the message text";
  return walk;
}

// The bodies of the parts (depth 1) of a multipart/mixed message with
// boundary XYZ and the given body.
std::vector<std::string> part_bodies(const std::string &body) {
  std::vector<std::string> bodies;
  for (const Visit &visit :
       walk_text("Content-Type: multipart/mixed; boundary=XYZ\n\n" + body).visits) {
    if (visit.depth == 1) bodies.push_back(visit.body);
  }
  return bodies;
}

using Bodies = std::vector<std::string>;

TEST(MimeWalk, PlainMessageIsVisitedOnceWithRawBody) {
  Walk walk = walk_text("Subject: hi\n\nline one\nline two\n");
  EXPECT_EQ(walk.result, 0);
  EXPECT_EQ(walk.visits, (std::vector<Visit>{{0, "line one\nline two\n"}}));

  std::string text = "Subject: hi\n\nbody";
  MessagePtr message = message_from_memory(text.data(), text.size());
  const char *type;
  char *body;
  size_t length;
  std::unique_ptr<char[]> decoded;
  ASSERT_TRUE(mime_decode_body(*message, type, body, length, decoded));
  EXPECT_STREQ(type, "text/plain; charset=US-ASCII");
  EXPECT_EQ(body, text.data() + 13);  // in place, not copied
  EXPECT_EQ(decoded, nullptr);
}

TEST(MimeWalk, MessageWithoutBodyIsNotVisited) {
  Message header_only;  // as message_open leaves it: no body pointers
  int calls = 0;
  EXPECT_EQ(
      mime_walk(header_only, 0, [&](int, const Message &, char *, size_t) { return ++calls; }), 0);
  EXPECT_EQ(calls, 0);
  const char *type;
  char *body = nullptr;
  size_t length = 1;
  std::unique_ptr<char[]> decoded;
  EXPECT_FALSE(mime_decode_body(header_only, type, body, length, decoded));
  EXPECT_EQ(length, 0u);
}

TEST(MimeWalk, MultipartPartsInDocumentOrder) {
  std::string text =
      "Content-Type: Multipart/Mixed; boundary=XYZ\n\n"
      "preamble\n--XYZ\n\none\n--XYZ\nContent-Type: text/plain\n\ntwo\n--XYZ--\nepilogue\n";
  std::string buffer = text;
  MessagePtr message = message_from_memory(buffer.data(), buffer.size());
  std::vector<Visit> visits;
  mime_walk(*message, 0, [&](int depth, const Message &, char *body, size_t length) {
    visits.push_back({depth, std::string(body, length)});
    return 0;
  });
  EXPECT_EQ(visits, (std::vector<Visit>{{0, text.substr(45)}, {1, "one"}, {1, "two"}}));
  EXPECT_STREQ(header_find(message.get(), "content-type"), "multipart/mixed; boundary=XYZ");
}

TEST(MimeWalk, PartBoundaries) {
  struct Case {
    const char *what;
    std::string body;
    Bodies parts;
  } cases[] = {
      {"blank after a delimiter", "--XYZ\n\na\n--XYZ \nb\n--XYZ--\n", {"a\n--XYZ \nb"}},
      {"last delimiter with nothing after", "--XYZ\n\na\n--XYZ\n", {"a"}},
      {"delimiter in mid line", "--XYZ\n\na--XYZ\n\nb\n--XYZ--", {"a", "b"}},
      {"no close delimiter", "--XYZ\n\na\n--XYZ\n\nb\n", {"a", "b"}},
      {"CR LF line ends", "--XYZ\r\n\r\na\r\n--XYZ\r\n\r\nb\r\n--XYZ--\r\n", {"a", "b"}},
      {"CR without LF ends the parts", "--XYZ\n\na\n--XYZ\rb\n--XYZ\n\nc\n", {"a"}},
      {"longer boundary is not ours", "--XYZ\n\na\n--XYZW\nb\n--XYZ--\n", {"a\n--XYZW\nb"}},
      {"empty part is passed over", "--XYZ\n--XYZ\n\na\n--XYZ\n--XYZ\n\nb\n--XYZ--\n", {"a", "b"}},
      {"part without header lines",
       "--XYZ\n\nFrom: not a header\n\nsecond\n--XYZ--\n",
       {"From: not a header\n\nsecond"}},
      {"no header lines, CR LF", "--XYZ\r\n\r\nx: y\r\n\r\nz\r\n--XYZ--\r\n", {"x: y\r\n\r\nz"}},
      {"part with headers", "--XYZ\nX-A: 1\n\nbody\n--XYZ--\n", {"body"}},
      {"only a preamble", "no delimiter here\n", {}},
  };
  for (const Case &c : cases) EXPECT_EQ(part_bodies(c.body), c.parts) << c.what;
}

TEST(MimeWalk, BoundaryLengthLimit) {
  for (size_t length : {253u, 254u}) {
    std::string boundary(length, 'b');
    Walk walk = walk_text("Content-Type: multipart/mixed; boundary=" + boundary + "\n\n--" +
                          boundary + "\n\npart\n--" + boundary + "--\n");
    EXPECT_EQ(walk.visits.size(), length == 253 ? 2u : 1u) << length;
  }
}

TEST(MimeWalk, BodiesAreDecoded) {
  std::string text =
      "Content-Type: multipart/mixed; boundary=\"a b\"\n\n"
      "--a b\nContent-Transfer-Encoding: Quoted-Printable\n\ncaf=C3=A9 =\nau lait\n"
      "--a b\nContent-Transfer-Encoding: base64 (the rest does not matter)\n\nQUJD\nREVG\n"
      "--a b\nContent-Transfer-Encoding: 7bit\n\nplain\n"
      "--a b\nContent-Type: message/rfc822\nContent-Transfer-Encoding: base64\n\n"
      "U3ViamVjdDogaW5uZXIKCmVuY2xvc2VkIGJvZHkK\n"  // "Subject: inner\n\nenclosed body\n"
      "--a b--\n";
  std::vector<Visit> visits = walk_text(text).visits;
  ASSERT_EQ(visits.size(), 6u);
  EXPECT_EQ(visits[1], (Visit{1, "café au lait"}));
  EXPECT_EQ(visits[2], (Visit{1, "ABCDEF"}));
  EXPECT_EQ(visits[3], (Visit{1, "plain"}));
  EXPECT_EQ(visits[4].depth, 1);
  EXPECT_EQ(visits[5], (Visit{2, "enclosed body\n"}));
}

TEST(MimeWalk, VisitorResults) {
  std::string two_parts =
      "Content-Type: multipart/mixed; boundary=XYZ\n\n--XYZ\n\nfirst\n--XYZ\n\nsecond\n--XYZ--\n";
  std::string enclosed_first =
      "Content-Type: multipart/mixed; boundary=XYZ\n\n"
      "--XYZ\nContent-Type: message/rfc822\n\nSubject: inner\n\nfirst\n"
      "--XYZ\n\nsecond\n--XYZ--\n";
  struct Case {
    const char *what;
    std::string text;
    int answer;  // given for the body "first"
    int result;
    size_t visits;
  } cases[] = {
      {"1 stops the siblings", two_parts, 1, 1, 2},
      {"other results do not", two_parts, 3, 0, 3},
      {"1 in an enclosed message stops the whole walk", enclosed_first, 1, 1, 3},
      {"the enclosed message's result counts", enclosed_first, 5, 0, 4},
      {"a root result is returned at once", "Subject: x\n\nfirst", 7, 7, 1},
  };
  for (const Case &c : cases) {
    Walk walk = walk_text(c.text, [&](const Visit &v) { return v.body == "first" ? c.answer : 0; });
    EXPECT_EQ(walk.result, c.result) << c.what;
    EXPECT_EQ(walk.visits.size(), c.visits) << c.what;
  }
}

TEST(MimeWalk, DepthLimit) {
  std::string text = "leaf";
  for (int level = 65; level >= 0; --level) {  // 66 nested multiparts
    std::string boundary = "b" + std::to_string(level);
    text = "Content-Type: multipart/mixed; boundary=" + boundary + "\n\n--" + boundary + "\n" +
           text + "\n--" + boundary + "--\n";
  }
  Walk walk = walk_text(text);
  EXPECT_EQ(walk.result, 2);
  ASSERT_EQ(walk.visits.size(), 65u);
  EXPECT_EQ(walk.visits.back().depth, 64);
}

TEST(MimeParameter, Values) {
  struct Case {
    const char *value;
    const char *name;
    const char *found;  // null when not found
  } cases[] = {
      {"multipart/mixed; boundary=\"a b\"", "boundary", "a b"},
      {"multipart/mixed; BOUNDARY=abc", "boundary", "abc"},
      {"multipart/mixed; boundary = abc", "boundary", nullptr},
      {"text/plain;charset=utf-8; format=flowed", "charset", "utf-8"},
      {"text/plain; format=flowed;\tcharset=UTF-8 (comment)", "charset", "UTF-8"},
      {"text/plain; charset=", "charset", nullptr},
      {"text/plain; charset=;x", "charset", ""},
      {"text/plain; charset= utf-8", "charset", ""},
      {"text/plain; charset=\"utf-8", "charset", nullptr},
      {"text/plain;; charset=x", "charset", "x"},
      {"text/plain; name=\"a;charset=x\"", "charset", "x\""},  // quotes do not hide ";"
      {"text/plain; xcharset=a", "charset", nullptr},
      {"text/plain; charset=a;", "boundary", nullptr},
      {"charset=utf-8", "charset", nullptr},  // the type is never a parameter
      {nullptr, "charset", nullptr},
  };
  for (const Case &c : cases) {
    const char *start = nullptr, *end = nullptr;
    bool found = mime_parameter(c.value, c.name, start, end);
    EXPECT_EQ(found, c.found != nullptr) << (c.value ? c.value : "null");
    if (found && c.found) {
      EXPECT_EQ(std::string(start, end), c.found) << c.value;
    }
  }
}

TEST(BoundaryFind, FollowByteDecides) {
  struct Case {
    std::string range;
    long position;  // -1 when not found
  } cases[] = {
      {"--XYZ\n", 0},       {"a--XYZ\r", 1},  {"--XYZ--", 0},   {"--XYZ", -1},
      {"--XYZ --XYZ\n", 6}, {"--XYZW\n", -1}, {"----XYZ\n", 2},
  };
  for (const Case &c : cases) {
    const char *found = boundary_find(c.range.data(), c.range.size(), "--XYZ", 5);
    EXPECT_EQ(found ? found - c.range.data() : -1, c.position) << c.range;
  }
}

// A walk that decodes and visits only text/plain: the other leaves are
// passed over, containers are still walked into.
TEST(MimeWalk, WantedLimitsTheVisits) {
  std::string text =
      "Content-Type: multipart/mixed; boundary=XYZ\n\n"
      "--XYZ\nContent-Type: text/plain\n\none\n"
      "--XYZ\nContent-Type: application/pdf\nContent-Transfer-Encoding: base64\n\nQUJD\n"
      "--XYZ\nContent-Type: message/rfc822\n\nSubject: inner\n\ntwo\n"
      "--XYZ--\n";
  MessagePtr message = message_from_memory(text.data(), text.size());
  std::vector<Visit> visits;
  auto text_only = [](const char *type) { return strncmp(type, "text/plain", 10) == 0; };
  int result = mime_walk(
      *message, 0,
      [&](int depth, const Message &, char *body, size_t length) {
        visits.push_back({depth, std::string(body, length)});
        return 0;
      },
      text_only);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(visits, (std::vector<Visit>{{1, "one"}, {2, "two"}}));
}

TEST(MessageIsMime, Declarations) {
  struct Case {
    const char *headers;
    bool mime;
  } cases[] = {
      {"MIME-Version: 1.0", true},         {"MIME-Version: 1.0 (generated)", true},
      {"MIME-Version: 1.01", false},       {"Content-Transfer-Encoding: 8bit", true},
      {"Content-Type: text/plain", false}, {"Subject: 1.0", false},
  };
  for (const Case &c : cases) {
    std::string text = std::string(c.headers) + "\n\nbody";
    MessagePtr message = message_from_memory(text.data(), text.size());
    EXPECT_EQ(message_is_mime(*message), c.mime) << c.headers;
  }
}

}  // namespace
