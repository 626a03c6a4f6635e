// Test trees: what a qxfilter test is parsed into and evaluated from.
// A parent owns its children; a Var node shares its Binding with the other
// Var nodes of the same name.
#pragma once

#include <regex.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

enum class NodeKind {
  Or,     // first || second
  And,    // first && second
  Cond,   // first ? second : third
  Not,    // ! first
  Lt,     // property < value   (the six comparisons: numeric and time)
  Le,     // property <= value
  Eq,     // property == value
  Ne,     // property != value
  Ge,     // property >= value
  Gt,     // property > value
  StrEq,  // string tests: property (path or a header), header, text or regex
  StrCaseEq,
  Glob,
  GlobCase,
  Regex,
  RegexCase,
  Prune,
  Print,
  ToFile,    // writes the line to the file text, opened with mode
  ToPipe,    // writes the line to the shell command text, opened with mode
  FlagTest,  // flags & value
  Var,       // binding->value
};

enum class Property {
  atime,
  ctime,
  depth,
  kept,
  mtime,
  path,
  replies,
  size,
  total,
  index,
  date,
  flags,
  header,
  header_addr,
  header_disp,
};

struct Binding;

struct RegexFree {
  void operator()(regex_t *regex) const;
};

// One node. Which fields a node uses depends on its kind (see NodeKind);
// the others stay empty.
struct TestNode {
  NodeKind kind = NodeKind::Print;
  // Or, And: left and right test. Cond: condition, then-test, else-test.
  // Not: the operand in first.
  std::unique_ptr<TestNode> first, second, third;
  // Comparisons, FlagTest and string tests: what is looked at.
  Property property = Property::flags;
  // Comparisons: the value (unused when uses_cur is 1). FlagTest: the mask.
  int64_t value = 0;
  // 1 when a comparison's value is the keyword "cur" (the Current
  // message's index at evaluation time).
  int uses_cur = 0;
  // String tests on header, header_addr or header_disp: the header name as
  // written in the test.
  std::string header;
  // StrEq, StrCaseEq, Glob, GlobCase: the pattern. ToFile: the file name.
  // ToPipe: the shell command.
  std::string text;
  // ToFile: "w+" or "a+"; ToPipe: "w". A static text.
  const char *mode = nullptr;
  // Regex, RegexCase: the compiled expression (the pattern is not kept).
  std::unique_ptr<regex_t, RegexFree> regex;
  // Var: the binding, shared with every other Var of the same name.
  Binding *binding = nullptr;

  // Kept by chain joins on the head of an Or or And chain: the chain's last
  // node of the head's kind, so that joining one more operand costs the
  // same however long the chain is. Not to be used elsewhere.
  TestNode *chain_end = nullptr;

  TestNode() = default;
  TestNode(const TestNode &) = delete;
  TestNode &operator=(const TestNode &) = delete;
  // Takes the whole subtree apart without recursion, so that chains and
  // nestings of any length are released in constant stack space.
  ~TestNode();
};

// A name bound by "let". Owned by its Scope while the "let" is parsed,
// afterwards by the Var nodes that refer to it: the last one to go
// releases it with its value.
struct Binding {
  std::string_view name;  // slice of the test text, only valid while parsing
  int refs = 0;           // the Var nodes that refer to this binding
  bool open = true;       // its "let" is still being parsed
  // Levels of nesting that evaluating the value goes through, counting the
  // values of the bindings it refers to; bounded like all nesting.
  int depth = 0;
  std::unique_ptr<TestNode> value;
  Binding *next = nullptr;  // next binding of the same scope
};

// The bindings of one "let", innermost scope first.
struct Scope {
  Binding *first = nullptr;
  Binding **last = &first;  // where the next binding is appended
  Scope *enclosing = nullptr;

  Scope() = default;
  Scope(const Scope &) = delete;
  Scope &operator=(const Scope &) = delete;
  // Closes the scope: every binding that no Var refers to is released with
  // its value; the others now belong to their Var nodes.
  ~Scope();
};

struct ParseRun;

// A new node of kind; ends the program with "out of memory" (a parse error
// of run) when none can be allocated.
std::unique_ptr<TestNode> node_new(const ParseRun &run, NodeKind kind);

// Joins left and right with kind (And or Or) by the chain rule: a left side
// of another kind becomes Kind(left, right); otherwise the right operand X
// of the chain's last node becomes Kind(X, right). Either side may be
// missing (nullptr); then the other one is the result.
std::unique_ptr<TestNode> chain_join(const ParseRun &run, NodeKind kind,
                                     std::unique_ptr<TestNode> left,
                                     std::unique_ptr<TestNode> right);

// The And of two tests, by the chain rule.
std::unique_ptr<TestNode> test_and(const ParseRun &run, std::unique_ptr<TestNode> a,
                                   std::unique_ptr<TestNode> b);

// Releases a tree with its texts, compiled expressions and the bindings
// whose last Var it held. Accepts nullptr.
void test_free(std::unique_ptr<TestNode> tree);
