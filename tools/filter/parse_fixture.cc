#include "parse_fixture.h"

#include <cstdlib>
#include <ctime>

namespace {

[[noreturn]] void throw_failure(const char *diagnostic, int status) {
  throw ParseFailure{diagnostic, status};
}

constexpr const char *kKindNames[] = {
    "Or",    "And",   "Cond",   "Not",       "Lt",   "Le",       "Eq",    "Ne",
    "Ge",    "Gt",    "StrEq",  "StrCaseEq", "Glob", "GlobCase", "Regex", "RegexCase",
    "Prune", "Print", "ToFile", "ToPipe",    "Flag", "Var",
};
static_assert(std::size(kKindNames) == static_cast<size_t>(NodeKind::Var) + 1);

constexpr const char *kPropertyNames[] = {
    "atime", "ctime", "depth", "kept",  "mtime",  "path",        "replies",     "size",
    "total", "index", "date",  "flags", "header", "header_addr", "header_disp",
};
static_assert(std::size(kPropertyNames) == static_cast<size_t>(Property::header_disp) + 1);

std::string operand_text(const TestNode &node) {
  switch (node.property) {
    case Property::header:
      return node.header;
    case Property::header_addr:
      return node.header + ".addr";
    case Property::header_disp:
      return node.header + ".disp";
    default:
      return kPropertyNames[static_cast<int>(node.property)];
  }
}

}  // namespace

void ParseTest::SetUp() {
  run.failure = throw_failure;
  run.start_time = kStart;
  setenv("TZ", "UTC", 1);
  tzset();
}

std::string tree_text(const TestNode *node) {
  if (!node) return "-";
  std::string out = kKindNames[static_cast<int>(node->kind)];
  switch (node->kind) {
    case NodeKind::Or:
    case NodeKind::And:
      return out + "(" + tree_text(node->first.get()) + ", " + tree_text(node->second.get()) + ")";
    case NodeKind::Cond:
      return out + "(" + tree_text(node->first.get()) + ", " + tree_text(node->second.get()) +
             ", " + tree_text(node->third.get()) + ")";
    case NodeKind::Not:
      return out + "(" + tree_text(node->first.get()) + ")";
    case NodeKind::Lt:
    case NodeKind::Le:
    case NodeKind::Eq:
    case NodeKind::Ne:
    case NodeKind::Ge:
    case NodeKind::Gt:
      return out + "(" + operand_text(*node) + ", " +
             (node->uses_cur ? "cur" : std::to_string(node->value)) + ")";
    case NodeKind::Regex:
    case NodeKind::RegexCase:
      return out + "(" + operand_text(*node) + (node->regex ? ", /re/" : ", -") + ")";
    case NodeKind::StrEq:
    case NodeKind::StrCaseEq:
    case NodeKind::Glob:
    case NodeKind::GlobCase:
      return out + "(" + operand_text(*node) + ", \"" + node->text + "\")";
    case NodeKind::ToFile:
    case NodeKind::ToPipe:
      return out + "(\"" + node->text + "\", " + node->mode + ")";
    case NodeKind::FlagTest:
      return out + "(" + std::to_string(node->value) + ")";
    case NodeKind::Var:
      return out + "(" + tree_text(node->binding->value.get()) + ")";
    case NodeKind::Prune:
    case NodeKind::Print:
      return out;
  }
  return out;
}

std::string ParseTest::parse_result(const char *text, const char *text_name) {
  try {
    std::unique_ptr<TestNode> tree = parse_test(run, text_name, text);
    return tree ? tree_text(tree.get()) : "(none)";
  } catch (const ParseFailure &failure) {
    EXPECT_EQ(failure.status, 2) << text;
    return failure.diagnostic;
  }
}
