// address_parse: the examples of its documentation and its edge cases,
// each as the list of (display name, address) pairs of one loop.
#include "message/address.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// "-" stands for an empty result.
using Mailboxes = std::vector<std::pair<std::string, std::string>>;

Mailboxes parse_all(const std::string &text) {
  Mailboxes result;
  const char *p = text.c_str();
  const char *name, *address;
  while ((p = address_parse(p, &name, &address)) != nullptr) {
    result.emplace_back(name ? name : "-", address ? address : "-");
    if (result.size() > 100) break;  // a loop without end is a failure too
  }
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(address, nullptr);
  return result;
}

struct Row {
  const char *text;
  Mailboxes expected;
};

const Row kExamples[] = {
    {"j@x", {{"-", "j@x"}}},
    {"John Doe <j@x>", {{"John Doe", "j@x"}}},
    {"\"Doe, John\" <j@x>, k@y", {{"Doe, John", "j@x"}, {"-", "k@y"}}},
    {"j@x (John Doe)", {{"John Doe", "j@x"}}},
    {"John (comment) <j@x>", {{"John (comment)", "j@x"}}},
    {"(comment) j@x", {{"-", "j@x"}}},
    {"Friends: a@b, c@d;", {{"-", "a@b"}, {"-", "c@d"}}},
    {"undisclosed-recipients:;", {}},
    {"j@x k@y", {{"k@y", "j@x"}}},
    {"a <b> c <d@e>", {{"a c b", "d@e"}}},
    {"\"j@x\" <j@x>", {{"j@x", "j@x"}}},
    {"a(b)c@x", {{"-", "ac@x"}}},
    {"x <@a,@b:user@c>", {{"x", "user@c"}}},
    {"< j @ x >", {{"-", "j@x"}}},
    {"a\\ b@x", {{"-", "\"a b\"@x"}}},
    {"a@b@c", {{"-", "\"a@b\"@c"}}},
    {"user@[IPv6:::1]", {{"-", "user@[IPv6:::1]"}}},
    {"John Doe", {{"John Doe", "-"}}},
};

TEST(AddressParse, ExamplesTable) {
  for (const Row &row : kExamples) EXPECT_EQ(parse_all(row.text), row.expected) << row.text;
}

const Row kEdgeCases[] = {
    {"", {}},
    {" \t,;, ;", {}},
    {",j@x", {{"-", "j@x"}}},
    {"j@x,", {{"-", "j@x"}}},
    {"John    Q \t Doe <j@x>", {{"John Q Doe", "j@x"}}},
    {"\"me@home\" <j@x>", {{"me@home", "j@x"}}},
    {"j@x John Doe", {{"John Doe", "j@x"}}},
    {"Friends: ;", {}},
    {"John<j@x>", {{"John", "j@x"}}},
    {"a\rb@x", {{"-", "a\rb@x"}}},
    {"\"a\\\"b\"@x", {{"-", "\"a\\\"b\"@x"}}},
    {"\"\" j@x", {{"-", "j@x"}}},
    {"(a (nested) comment) j@x", {{"-", "j@x"}}},
    {"Jo (c) hn <j@x>", {{"Jo (c) hn", "j@x"}}},
    {"j@x (unclosed", {{"unclosed", "j@x"}}},
    {"John <j@x", {{"John", "j@x"}}},
    {"\"unclosed j@x", {{"unclosed j@x", "-"}}},
    {"<a@b> <c@d>", {{"a@b", "c@d"}}},
    {"<(c)x\"y z\"@a>", {{"-", "\"xy z\"@a"}}},
    {"x\\", {{"x\\", "-"}}},
    {"<\"a\\", {{"-", "a\\"}}},
    {"a@b, , c@d", {{"-", "a@b"}, {"-", "c@d"}}},
};

TEST(AddressParse, EdgeCases) {
  for (const Row &row : kEdgeCases) EXPECT_EQ(parse_all(row.text), row.expected) << row.text;
}

TEST(AddressParse, OutArgumentsMayBeAbsent) {
  const char *name;
  const char *rest = address_parse("John <j@x>, k@y", &name, nullptr);
  ASSERT_NE(rest, nullptr);
  EXPECT_STREQ(rest, " k@y");
  EXPECT_STREQ(name, "John");
  const char *address;
  EXPECT_STREQ(address_parse(rest, nullptr, &address), "");
  EXPECT_STREQ(address, "k@y");
}

TEST(AddressParse, LongTextsAreCut) {
  std::string word(3000, 'w');
  const char *name, *address;
  address_parse(word.c_str(), &name, &address);
  EXPECT_EQ(std::string(name), std::string(1023, 'w'));  // a token keeps 1024, a result 1023
  EXPECT_EQ(address, nullptr);

  // A quoted string longer than the scratch buffer: the rest is skipped,
  // not read again as text.
  std::string quoted = "\"" + std::string(2000, 'q') + " x@y\" <j@x>";
  address_parse(quoted.c_str(), &name, &address);
  EXPECT_EQ(std::string(name), std::string(1023, 'q'));
  EXPECT_STREQ(address, "j@x");

  // So is the rest of a long angle address.
  std::string angle = "<" + std::string(2000, 'a') + "@x, b@c> d@e";
  address_parse(angle.c_str(), &name, &address);
  EXPECT_STREQ(name, "d@e");
  EXPECT_EQ(std::string(address), std::string(1023, 'a'));

  // A quoted local part is put in quotes again only when that fits in 1021 bytes.
  for (size_t length : {1017, 1018}) {  // local parts of 1017 and 1018 bytes, then "@x"
    std::string local = std::string(length - 2, 'l') + " m";
    std::string text = "\"" + local + "\"@x";
    address_parse(text.c_str(), &name, &address);
    std::string expected = length + 4 <= 1021 ? "\"" + local + "\"@x" : local + "@x";
    EXPECT_EQ(std::string(address), expected) << length;
  }
}

struct AppendRow {
  size_t before;  // bytes already in the buffer
  size_t added;   // bytes offered
  size_t appended;
};

TEST(BufferAppend, CutsAt1023Bytes) {
  const AppendRow rows[] = {{0, 5, 5}, {1020, 5, 3}, {1023, 1, 0}, {0, 2000, 1023}, {10, 0, 0}};
  std::string source(3000, 's');
  for (const AppendRow &row : rows) {
    char buffer[kAddressBufferSize];
    memset(buffer, 'b', row.before);
    buffer[row.before] = '\0';
    EXPECT_EQ(buffer_append(buffer, source.data(), source.data() + row.added), row.appended);
    EXPECT_EQ(strlen(buffer), row.before + row.appended);
  }
  char full[kAddressBufferSize];
  memset(full, 'f', sizeof full);  // 1024 bytes and no NUL
  EXPECT_EQ(buffer_append(full, source.data(), source.data() + 3), 0u);
  EXPECT_EQ(full[kAddressBufferSize - 1], 'f');
}

}  // namespace
