// qxsearch: one header, every header, the decoded text bodies or the
// maildir flags of messages, matched with an extended regular expression.
#pragma once

#include <regex.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "charset.h"
#include "message/load.h"

struct Message;

// The run's options, expression and count, set up once by the entry point.
struct Search {
  bool address_mode = false;   // -a: each address of the value on its own
  bool count_only = false;     // -c: print the count at the end instead
  bool decode = false;         // -d: decode encoded words first
  bool header_output = false;  // -h: label and value instead of the file name
  bool first_header = false;   // -l: in "*" mode, stop at a counting header
  bool only_matching = false;  // -o: print the matched text
  bool print_all = false;      // -p: file name, label and value
  bool quiet = false;          // -q: exit 0 at the first value that counts
  bool invert = false;         // -v: values that do not match count
  int icase = 0;               // -i: REG_ICASE
  int64_t maximum = 0;         // -m: exit 0 once the count reaches it; 0 = none
  bool charsets = false;       // --charsets: other charsets converted to UTF-8

  // The text before the operand's first colon: "" the flags, "/" the
  // bodies, "*" every header, else one header's name as typed.
  const char *header = "";
  regex_t regex{};
  bool compiled = false;
  // The expression when it is a plain literal matched with case: a value
  // without it cannot match, which a byte search tells faster.
  std::string literal;
  // The same for -i, in lower case, when it is ASCII: a value of ASCII
  // text that holds it in no case cannot match.
  std::string caseless_literal;

  int64_t count = 0;           // values that counted
  const char *file = nullptr;  // the message whose body is being walked

  // With --charsets: the converters opened so far, and the text of the
  // part last converted to UTF-8 (its storage reused from part to part).
  CharsetConverters converters;
  std::string converted;

  Search() = default;
  Search(const Search &) = delete;
  Search &operator=(const Search &) = delete;
  ~Search();
};

// Compiles expression with the options' flags; on failure stores the
// error text in error and returns false.
bool search_compile(Search &search, const char *expression, char (&error)[256]);

// Per message name from the Message loop (leading blanks are skipped for
// opening and kept for printing), with its message loaded ahead in load or
// loaded now.
void search_message(Search &search, const char *file, MessageLoad &load);

// Matches a header value as -d and -a ask; true when a value counted.
bool search_value(Search &search, const char *file, const char *label, char *value);

// Matches one value, counts and prints it; true when it counted. Ends the
// run (ToolExit, status 0) for -q and when the -m maximum is reached.
bool match_value(Search &search, const char *file, const char *label, const char *value);

// Loads the whole message and walks its parts with body_visitor.
void search_body(Search &search, const char *file, MessageLoad &load);

// Searches a text/plain part in US-ASCII or UTF-8 (or, with --charsets,
// in any charset iconv converts to UTF-8): the whole body as one
// value (1 when it counted, ending the walk), or each line with -h / -p.
int body_visitor(Search &search, int depth, const Message &part, char *body, size_t length);
