// The keywords and operators of the test language, in the order the parser
// tries them. Tokens match by prefix, so wherever one token is a prefix of
// another, the longer one must be tried first; the checks below hold every
// table (and the keyword order across the levels) to that.
#pragma once

#include <cstdint>
#include <string_view>

#include "test.h"
#include "util/flags.h"

struct PropertyKeyword {
  std::string_view token;
  Property property;
  bool sets_thread_buffering;
};

struct FlagKeyword {
  std::string_view token;
  int64_t mask;
  bool sets_thread_buffering;
};

struct Operator {
  std::string_view token;
  NodeKind kind;
  bool negated;  // string operators only: a Not over the positive test
};

inline constexpr PropertyKeyword kTimeKeywords[] = {
    {"atime", Property::atime, false},
    {"ctime", Property::ctime, false},
    {"mtime", Property::mtime, false},
    {"date", Property::date, false},
};

inline constexpr PropertyKeyword kNumericKeywords[] = {
    {"depth", Property::depth, false}, {"kept", Property::kept, false},
    {"index", Property::index, false}, {"replies", Property::replies, true},
    {"size", Property::size, false},   {"total", Property::total, false},
};

inline constexpr FlagKeyword kFlagKeywords[] = {
    {"passed", maildir_flag_bit('P'), false},
    {"replied", maildir_flag_bit('R'), false},
    {"seen", maildir_flag_bit('S'), false},
    {"trashed", maildir_flag_bit('T'), false},
    {"draft", maildir_flag_bit('D'), false},
    {"flagged", maildir_flag_bit('F'), false},
    {"new", 64, false},
    {"cur", 128, false},
    {"info", 1024, false},
    {"parent", 256, true},
    {"child", 512, true},
};

inline constexpr Operator kComparisonOperators[] = {
    {"<=", NodeKind::Le, false}, {"<", NodeKind::Lt, false},  {">=", NodeKind::Ge, false},
    {">", NodeKind::Gt, false},  {"==", NodeKind::Eq, false}, {"=", NodeKind::Eq, false},
    {"!=", NodeKind::Ne, false},
};

inline constexpr Operator kStringOperators[] = {
    {"~~~", NodeKind::GlobCase, false},  {"~~", NodeKind::Glob, false},
    {"=~~", NodeKind::RegexCase, false}, {"=~", NodeKind::Regex, false},
    {"===", NodeKind::StrCaseEq, false}, {"==", NodeKind::StrEq, false},
    {"=", NodeKind::StrEq, false},       {"!~~~", NodeKind::GlobCase, true},
    {"!~~", NodeKind::Glob, true},       {"!=~~", NodeKind::RegexCase, true},
    {"!=~", NodeKind::Regex, true},      {"!===", NodeKind::StrCaseEq, true},
    {"!==", NodeKind::StrEq, true},      {"!=", NodeKind::StrEq, true},
};

// The headers with a keyword of their own; the header name is the keyword.
inline constexpr std::string_view kHeaderKeywords[] = {"from", "to", "subject"};

// Every word a primary position tries before it reads an identifier, in the
// order the levels try them.
inline constexpr std::string_view kKeywordOrder[] = {
    "atime", "ctime", "mtime",  "date",    "depth", "kept",    "index", "replies",
    "size",  "total", "passed", "replied", "seen",  "trashed", "draft", "flagged",
    "new",   "cur",   "info",   "parent",  "child", "from",    "to",    "subject",
    "path",  "prune", "print",  "skip",    "let",
};

namespace keyword_checks {

// True when no token is shadowed by an earlier one that is its prefix.
template <typename Table, typename Token>
constexpr bool tried_longest_first(const Table &table, Token token) {
  for (size_t i = 0; i < std::size(table); ++i)
    for (size_t j = i + 1; j < std::size(table); ++j)
      if (token(table[j]).starts_with(token(table[i]))) return false;
  return true;
}

constexpr auto own = [](std::string_view token) { return token; };
constexpr auto of_operator = [](const Operator &op) { return op.token; };

static_assert(tried_longest_first(kComparisonOperators, of_operator));
static_assert(tried_longest_first(kStringOperators, of_operator));
static_assert(tried_longest_first(kKeywordOrder, own));

constexpr bool masks_are_distinct_bits() {
  int64_t seen = 0;
  for (const auto &flag : kFlagKeywords) {
    if (flag.mask <= 0 || (flag.mask & (flag.mask - 1)) != 0 || (seen & flag.mask) != 0)
      return false;
    seen |= flag.mask;
  }
  return true;
}
static_assert(masks_are_distinct_bits());

// Every maildir flag has a keyword: its name, with its bit as the mask.
constexpr bool every_maildir_flag_has_its_keyword() {
  for (const MaildirFlag &flag : kMaildirFlags) {
    bool found = false;
    for (const auto &keyword : kFlagKeywords)
      found = found || (keyword.token == flag.name && keyword.mask == flag.bit);
    if (!found) return false;
  }
  return true;
}
static_assert(every_maildir_flag_has_its_keyword());

// kKeywordOrder is the levels' tables one after the other.
constexpr bool keyword_order_matches_tables() {
  size_t i = 0;
  for (const auto &k : kTimeKeywords)
    if (kKeywordOrder[i++] != k.token) return false;
  for (const auto &k : kNumericKeywords)
    if (kKeywordOrder[i++] != k.token) return false;
  for (const auto &k : kFlagKeywords)
    if (kKeywordOrder[i++] != k.token) return false;
  for (const auto &k : kHeaderKeywords)
    if (kKeywordOrder[i++] != k) return false;
  return kKeywordOrder[i] == "path";
}
static_assert(keyword_order_matches_tables());

}  // namespace keyword_checks
