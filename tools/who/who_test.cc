// name_print's quoting, one row per rule.
#include "who.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "util/captured.h"

namespace {

std::string printed(const char *name) {
  return captured([&](FILE *out) { name_print(out, name); });
}

struct QuoteRow {
  const char *name;
  const char *printed;
};

const QuoteRow kQuoting[] = {
    {"John Doe", "John Doe"},
    {"Doe, John", "\"Doe, John\""},
    {"John Q. Public", "\"John Q. Public\""},
    {"say \"hi\"", "\"say \\\"hi\\\"\""},
    {"back\\slash", "\"back\\\\slash\""},
    {"caf\xc3\xa9", "caf\xc3\xa9"},  // UTF-8 needs no quoting
    {"tab\there", "\"tab\there\""},
    {"a@b", "\"a@b\""},
    {"(x)", "\"(x)\""},
    {"<x>", "\"<x>\""},
    {"[x]", "\"[x]\""},
    {"x:y;", "\"x:y;\""},
    {"O'Brien-Smith_Jr!", "O'Brien-Smith_Jr!"},
    {"", ""},
    {"del\x7f", "del\x7f"},
};

TEST(NamePrint, QuotesWhenNeeded) {
  for (const QuoteRow &row : kQuoting) EXPECT_EQ(printed(row.name), row.printed) << row.name;
}

}  // namespace
