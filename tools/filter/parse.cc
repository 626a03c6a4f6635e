// The grammar of tests, from the loosest binding level to the tightest:
// conditional, or, and, output, time comparison, numeric comparison or
// flag, primary. Each level reads its operands with the level below.
#include "parse.h"

#include <algorithm>
#include <new>
#include <span>
#include <string>
#include <utility>

#include "keywords.h"
#include "lexer.h"
#include "time_literal.h"

namespace {

using Node = std::unique_ptr<TestNode>;

// Parentheses, "?:" else-branches, "let" values and bodies and "!" operands
// nest by recursion, here and in evaluation, and a variable nests as deep
// as its value. This bounds the stack a hostile test can take (even in a
// sanitizer build, where a level costs about 3 KiB of stack).
constexpr int kMaxNesting = 1000;

class Nesting {
 public:
  explicit Nesting(Parser &parser) : parser_(parser) {
    if (++parser_.depth > kMaxNesting)
      parse_error_with_excerpt(parser_, parser_.at, "nesting too deep");
    parser_.reach = std::max(parser_.reach, parser_.depth);
  }
  ~Nesting() { --parser_.depth; }
  Nesting(const Nesting &) = delete;
  Nesting &operator=(const Nesting &) = delete;

 private:
  Parser &parser_;
};

struct Redirection {
  std::string_view token;
  NodeKind kind;
  const char *mode;
  const char *missing;  // the error when no string follows
};
constexpr Redirection kRedirections[] = {
    {"|", NodeKind::ToPipe, "w", "expected command"},
    {">>", NodeKind::ToFile, "a+", "expected file name"},
    {">", NodeKind::ToFile, "w+", "expected file name"},
};

Node parse_conditional(Parser &p);
Node parse_numeric(Parser &p);

// An operand the tree cannot do without (of "!", "?:" or a binding): a
// missing one is reported where it began.
Node required(const Parser &p, Node node, const ParsePosition &start) {
  if (!node) parse_error_with_excerpt(p, start, "invalid comparison");
  return node;
}

Node wrap_not(const Parser &p, Node operand) {
  Node node = node_new(p.run, NodeKind::Not);
  node->first = std::move(operand);
  return node;
}

const Operator *accept_operator(ParsePosition &at, std::span<const Operator> table) {
  for (const Operator &op : table)
    if (accept(at, op.token)) return &op;
  return nullptr;
}

// The operator and value after a numeric or time keyword. The value is a
// number, then "cur" for numeric properties or a time string for time
// properties; without one the comparison is missing.
Node parse_comparison(Parser &p, Property property, bool is_time) {
  const Operator *op = accept_operator(p.at, kComparisonOperators);
  if (!op) parse_error_with_excerpt(p, p.at, "invalid comparison");
  int64_t value = 0;
  int uses_cur = 0;
  std::string text;
  if (read_number(p, value)) {
  } else if (is_time && read_string(p, text)) {
    value = time_literal_value(p.run, text.c_str());
  } else if (!is_time && accept(p.at, "cur")) {
    uses_cur = 1;
  } else {
    return nullptr;
  }
  Node node = node_new(p.run, op->kind);
  node->property = property;
  node->value = value;
  node->uses_cur = uses_cur;
  return node;
}

void compile_into(const Parser &p, TestNode &node, const std::string &pattern) {
  std::unique_ptr<regex_t> regex(new regex_t);
  int flags = REG_EXTENDED | REG_NEWLINE | (node.kind == NodeKind::RegexCase ? REG_ICASE : 0);
  if (int error = regcomp(regex.get(), pattern.c_str(), flags)) {
    char message[256];
    regerror(error, regex.get(), message, sizeof message);
    parse_error(p.run, "invalid regex '%s': %s", pattern.c_str(), message);
  }
  node.regex.reset(regex.release());  // compiled: from now on released with regfree
}

// The operator and pattern of a header or path test.
Node parse_string_test(Parser &p, Property property, std::string header) {
  const Operator *op = accept_operator(p.at, kStringOperators);
  if (!op) parse_error_with_excerpt(p, p.at, "invalid string operator");
  std::string pattern;
  if (!read_string(p, pattern)) parse_error_with_excerpt(p, p.at, "invalid string");
  Node node = node_new(p.run, op->kind);
  node->property = property;
  node->header = std::move(header);
  if (op->kind == NodeKind::Regex || op->kind == NodeKind::RegexCase) {
    compile_into(p, *node, pattern);
  } else {
    node->text = std::move(pattern);
  }
  return op->negated ? wrap_not(p, std::move(node)) : std::move(node);
}

// A header name, an optional ".addr" or ".disp", then the string test.
Node parse_header_test(Parser &p, std::string header) {
  Property property = Property::header;
  if (accept(p.at, ".")) {
    if (accept(p.at, "addr")) {
      property = Property::header_addr;
    } else if (accept(p.at, "disp")) {
      property = Property::header_disp;
    } else {
      parse_error_with_excerpt(p, p.at, "unknown decode parameter");
    }
  }
  return parse_string_test(p, property, std::move(header));
}

Binding *lookup(const Parser &p, std::string_view name) {
  if (name.empty()) return nullptr;
  for (const Scope *scope = p.scopes; scope; scope = scope->enclosing)
    for (Binding *binding = scope->first; binding; binding = binding->next)
      if (binding->name == name) return binding;
  return nullptr;
}

// After "let": bindings, "in" and the body. A binding becomes visible after
// its own value; the scope releases the unused ones when it closes.
Node parse_let(Parser &p) {
  Scope scope;
  scope.enclosing = p.scopes;
  p.scopes = &scope;
  struct Pop {
    Parser &p;
    ~Pop() { p.scopes = p.scopes->enclosing; }
  } pop{p};
  do {
    std::string_view name = read_ident(p.at);
    if (name.empty()) parse_error_with_excerpt(p, p.at, "missing ident");
    if (!accept(p.at, "=")) parse_error_with_excerpt(p, p.at, "missing =");
    const ParsePosition start = p.at;
    const int base = p.depth;
    const int outer_reach = std::exchange(p.reach, base);
    Node value = required(p, parse_conditional(p), start);
    Binding *binding = new (std::nothrow) Binding;
    if (!binding) parse_out_of_memory(p.run, "calloc");
    binding->name = name;
    binding->depth = p.reach - base;
    p.reach = std::max(outer_reach, p.reach);
    binding->value = std::move(value);
    *scope.last = binding;
    scope.last = &binding->next;
  } while (accept(p.at, "let"));
  if (!accept(p.at, "in")) parse_error_with_excerpt(p, p.at, "missing `in`");
  return parse_conditional(p);
}

// Level 7.
Node parse_primary(Parser &p) {
  const ParsePosition start = p.at;
  for (std::string_view name : kHeaderKeywords)
    if (accept(p.at, name)) return parse_header_test(p, std::string(name));
  if (accept(p.at, "path")) return parse_string_test(p, Property::path, {});
  std::string header;
  if (read_string(p, header)) return parse_header_test(p, std::move(header));
  if (accept(p.at, "prune")) return node_new(p.run, NodeKind::Prune);
  if (accept(p.at, "print")) return node_new(p.run, NodeKind::Print);
  if (accept(p.at, "skip")) return wrap_not(p, node_new(p.run, NodeKind::Print));
  if (accept(p.at, "!")) {
    Nesting nesting(p);
    const ParsePosition operand = p.at;
    return wrap_not(p, required(p, parse_numeric(p), operand));
  }
  if (accept(p.at, "(")) {
    Node inner = parse_conditional(p);
    if (!accept(p.at, ")")) parse_error_with_excerpt(p, start, "unterminated (");
    return inner;
  }
  if (accept(p.at, "let")) return parse_let(p);
  if (Binding *binding = lookup(p, read_ident(p.at))) {
    const int level = p.depth + binding->depth;
    if (level > kMaxNesting) parse_error_with_excerpt(p, start, "nesting too deep");
    p.reach = std::max(p.reach, level);
    Node node = node_new(p.run, NodeKind::Var);
    node->binding = binding;
    ++binding->refs;
    return node;
  }
  parse_error_with_excerpt(p, start, "unknown expression");
}

// Level 6: a numeric comparison or a flag.
Node parse_numeric(Parser &p) {
  for (const PropertyKeyword &keyword : kNumericKeywords) {
    if (accept(p.at, keyword.token)) {
      if (keyword.sets_thread_buffering) p.run.thread_buffering = 1;
      return parse_comparison(p, keyword.property, false);
    }
  }
  for (const FlagKeyword &flag : kFlagKeywords) {
    if (accept(p.at, flag.token)) {
      if (flag.sets_thread_buffering) p.run.thread_buffering = 1;
      Node node = node_new(p.run, NodeKind::FlagTest);
      node->property = Property::flags;
      node->value = flag.mask;
      return node;
    }
  }
  return parse_primary(p);
}

// Level 5.
Node parse_time_comparison(Parser &p) {
  for (const PropertyKeyword &keyword : kTimeKeywords)
    if (accept(p.at, keyword.token)) return parse_comparison(p, keyword.property, true);
  return parse_numeric(p);
}

// The redirection after an operand, if any ("||" is no pipe).
Node parse_redirection(Parser &p) {
  if (peek(p.at, "||")) return nullptr;
  for (const Redirection &redirection : kRedirections) {
    if (accept(p.at, redirection.token)) {
      Node node = node_new(p.run, redirection.kind);
      node->mode = redirection.mode;
      if (!read_string(p, node->text)) parse_error_with_excerpt(p, p.at, redirection.missing);
      return node;
    }
  }
  return nullptr;
}

// Level 4: the output happens only when the operand holds.
Node parse_output(Parser &p) {
  Node operand = parse_time_comparison(p);
  return chain_join(p.run, NodeKind::And, std::move(operand), parse_redirection(p));
}

// Levels 3 and 2: missing operands drop out of the chain.
Node parse_chain(Parser &p, std::string_view token, NodeKind kind, Node (*operand)(Parser &)) {
  Node chain = operand(p);
  while (accept(p.at, token)) chain = chain_join(p.run, kind, std::move(chain), operand(p));
  return chain;
}

Node parse_and(Parser &p) { return parse_chain(p, "&&", NodeKind::And, parse_output); }
Node parse_or(Parser &p) { return parse_chain(p, "||", NodeKind::Or, parse_and); }

// Level 1: "?:" groups to the right; its three parts are required.
Node parse_conditional(Parser &p) {
  Nesting nesting(p);
  const ParsePosition condition_start = p.at;
  Node condition = parse_or(p);
  if (!accept(p.at, "?")) return condition;
  condition = required(p, std::move(condition), condition_start);
  const ParsePosition then_start = p.at;
  Node then_test = required(p, parse_or(p), then_start);
  if (!accept(p.at, ":")) parse_error_with_excerpt(p, p.at, "expected :");
  const ParsePosition else_start = p.at;
  Node node = node_new(p.run, NodeKind::Cond);
  node->first = std::move(condition);
  node->second = std::move(then_test);
  node->third = required(p, parse_conditional(p), else_start);
  return node;
}

}  // namespace

std::unique_ptr<TestNode> parse_test(ParseRun &run, const char *text_name, const char *text) {
  Parser p(run, text_name, text);
  try {
    skip_blanks(p.at);
    Node tree = parse_conditional(p);
    if (*p.at.pos != '\0') parse_error_with_excerpt(p, p.at, "trailing garbage");
    return tree;
  } catch (const std::bad_alloc &) {
    parse_out_of_memory(p.run, "strdup");
  }
}
