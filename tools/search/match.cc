// Matching one value: the expression, the count, and what is printed.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "message/mime.h"
#include "search.h"
#include "util/display.h"
#include "util/error.h"

namespace {

// Only-matching output is meaningless where nothing, or only the file
// name, is printed per value.
bool only_matching_output(const Search &search) {
  return search.only_matching && !search.count_only && !search.quiet && !search.invert &&
         !search.first_header;
}

// True when text is all ASCII and holds needle (lower case) in no case:
// then REG_ICASE cannot match it either, in any locale. False as soon as a
// byte of 0x80 or above leaves the decision to regexec.
bool ascii_caseless_absent(const char *text, const std::string &needle) {
  for (const char *p = text; *p; ++p) {
    auto c = static_cast<unsigned char>(*p);
    if (c >= 0x80) return false;
    char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    if (lower == needle[0] && ascii_caseless_equal(p, needle.c_str(), needle.size())) return false;
  }
  return true;
}

bool literal_absent(const Search &search, const char *value) {
  if (!search.literal.empty()) return !strstr(value, search.literal.c_str());
  return !search.caseless_literal.empty() && ascii_caseless_absent(value, search.caseless_literal);
}

bool value_matches(const Search &search, const char *value) {
  if (literal_absent(search, value)) return false;
  return regexec(&search.regex, value, 0, nullptr, 0) == 0;
}

// Writes "<file>: <label>: ", or "<label>: " without a file.
void print_label(const char *file, const char *label) {
  if (file) {
    display_write(stdout, file);
    fputs(": ", stdout);
  }
  display_write(stdout, label);
  fputs(": ", stdout);
}

void print_value(const Search &search, const char *file, const char *label, const char *value) {
  if (search.invert || (!search.header_output && !search.print_all)) {
    display_line(stdout, file);
    return;
  }
  // -h and -p together keep the colon of the file name they leave out.
  print_label(!search.header_output ? file : search.print_all ? "" : nullptr, label);
  display_line(stdout, value);
}

// Prints every non-empty match of the value on a line of its own; the rest
// after a match is matched as a string of its own, so "^" matches again.
bool print_matches(Search &search, const char *file, const char *label, const char *value) {
  if (literal_absent(search, value)) return false;
  bool printed = false;
  const char *rest = value;
  regmatch_t match;
  while (*rest && regexec(&search.regex, rest, 1, &match, 0) == 0) {
    if (match.rm_eo == match.rm_so) {  // an empty match: try one byte further
      if (!rest[match.rm_so]) break;
      rest += match.rm_so + 1;
      continue;
    }
    if (search.print_all || search.header_output)
      print_label(search.print_all ? file : nullptr, label);
    display_line(stdout, std::string_view(rest + match.rm_so, match.rm_eo - match.rm_so));
    rest += match.rm_eo;
    printed = true;
  }
  if (printed) ++search.count;
  return printed;
}

// An expression without any ERE operator or escape matches exactly the
// values that contain it.
bool plain_literal(const char *expression) {
  return *expression && !expression[strcspn(expression, "\\^$.[]|()*+?{}")];
}

bool ascii_text(const char *text) {
  for (; *text; ++text)
    if (static_cast<unsigned char>(*text) >= 0x80) return false;
  return true;
}

}  // namespace

Search::~Search() {
  if (compiled) regfree(&regex);
}

bool search_compile(Search &search, const char *expression, char (&error)[256]) {
  int result = regcomp(&search.regex, expression, REG_EXTENDED | search.icase);
  if (result != 0) {
    regerror(result, &search.regex, error, sizeof error);
    return false;
  }
  search.compiled = true;
  if (plain_literal(expression)) {
    if (!search.icase) {
      search.literal = expression;
    } else if (ascii_text(expression)) {
      for (const char *p = expression; *p; ++p)
        search.caseless_literal +=
            (*p >= 'A' && *p <= 'Z') ? static_cast<char>(*p - 'A' + 'a') : *p;
    }
  }
  return true;
}

bool match_value(Search &search, const char *file, const char *label, const char *value) {
  if (only_matching_output(search)) return print_matches(search, file, label, value);
  if (value_matches(search, value) == search.invert) return false;
  if (search.quiet) throw ToolExit{};
  ++search.count;
  if (!search.count_only) print_value(search, file, label, value);
  if (search.maximum && search.count >= search.maximum) throw ToolExit{};
  return true;
}
