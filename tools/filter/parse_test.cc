#include "parse.h"

#include <regex.h>

#include <string>

#include "parse_fixture.h"
#include "util/error.h"

namespace {

struct Case {
  const char *text;
  const char *expected;  // tree_text, "(none)", or the whole diagnostic
};

class Grammar : public ParseTest {
 protected:
  void expect_results(std::initializer_list<Case> cases) {
    for (const Case &c : cases) EXPECT_EQ(parse_result(c.text), c.expected) << c.text;
  }
};

TEST_F(Grammar, LevelsBindInOrder) {
  expect_results({
      {"new", "Flag(64)"},
      {"new && seen && draft", "And(Flag(64), And(Flag(4), Flag(16)))"},
      {"new || seen && draft", "Or(Flag(64), And(Flag(4), Flag(16)))"},
      {"new && seen || draft", "Or(And(Flag(64), Flag(4)), Flag(16))"},
      {"new || seen", "Or(Flag(64), Flag(4))"},
      {"(new || seen) && draft", "And(Or(Flag(64), Flag(4)), Flag(16))"},
      {"(new && seen) && draft", "And(Flag(64), And(Flag(4), Flag(16)))"},
      {"new && (seen && draft)", "And(Flag(64), And(Flag(4), Flag(16)))"},
      {"new ? print : seen ? print : skip",
       "Cond(Flag(64), Print, Cond(Flag(4), Print, Not(Print)))"},
      {"new || seen ? print : prune", "Cond(Or(Flag(64), Flag(4)), Print, Prune)"},
      {"new ? (seen ? print : skip) : skip",
       "Cond(Flag(64), Cond(Flag(4), Print, Not(Print)), Not(Print))"},
      {"!seen", "Not(Flag(4))"},
      {"!(mtime > 5)", "Not(Gt(mtime, 5))"},
      {"!size > 5 && new", "And(Not(Gt(size, 5)), Flag(64))"},
      {"!!new", "Not(Not(Flag(64)))"},
      {"  new\t# a comment\n&& seen # another\n", "And(Flag(64), Flag(4))"},
  });
}

TEST_F(Grammar, ComparisonsAndFlags) {
  expect_results({
      {"depth <= 1", "Le(depth, 1)"},
      {"kept < 2", "Lt(kept, 2)"},
      {"index >= 3", "Ge(index, 3)"},
      {"size > 4", "Gt(size, 4)"},
      {"total == 5", "Eq(total, 5)"},
      {"index = 6", "Eq(index, 6)"},
      {"index != 7", "Ne(index, 7)"},
      {"index<cur", "Lt(index, cur)"},
      {"mtime > 5", "Gt(mtime, 5)"},
      {"atime >= 7k", "Ge(atime, 7168)"},
      {"ctime < \"2024-01-02\"", "Lt(ctime, 1704153600)"},
      {"date == \"-3h\"", "Eq(date, 1699989200)"},
      {"passed", "Flag(1)"},
      {"replied", "Flag(2)"},
      {"trashed", "Flag(8)"},
      {"flagged", "Flag(32)"},
      {"cur", "Flag(128)"},
      {"info", "Flag(1024)"},
      {"parent", "Flag(256)"},
      {"child", "Flag(512)"},
      // Prefix matching: the keyword ends where its letters end.
      {"newx", "qxfilter: parse error: argv:1:4: trailing garbage at 'x'\n"},
      {"totals > 1", "qxfilter: parse error: argv:1:6: invalid comparison at 's > 1'\n"},
      {"to == \"a\"", "StrEq(to, \"a\")"},
      {"mtime < cur", "qxfilter: parse error: argv:1:9: trailing garbage at 'cur'\n"},
  });
}

TEST_F(Grammar, NumbersAndSuffixes) {
  expect_results({
      {"size > 10k", "Gt(size, 10240)"},
      {"size > 1c", "Gt(size, 1)"},
      {"size > 2b", "Gt(size, 1024)"},
      {"size > 1M", "Gt(size, 1048576)"},
      {"size > 1G", "Gt(size, 1073741824)"},
      {"size > 1T", "Gt(size, 1099511627776)"},
      {"size > 007", "Gt(size, 7)"},
      {"size > 9223372036854775709", "Gt(size, 9223372036854775709)"},
      {"size > 9223372036854775709T", "Gt(size, -108851651149824)"},
      {"size > 10 k", "qxfilter: parse error: argv:1:11: trailing garbage at 'k'\n"},
      {"size > 10m", "qxfilter: parse error: argv:1:10: trailing garbage at 'm'\n"},
      {"size > 9223372036854775710",
       "qxfilter: parse error: argv:1:26: number too big: 9223372036854775710\n"},
      {"size > 99999999999999999999 && new",
       "qxfilter: parse error: argv:1:26: number too big: 99999999999999999999 && new\n"},
  });
}

TEST_F(Grammar, StringTests) {
  setenv("QX_PARSE_VALUE", "x-mailer", 1);
  unsetenv("QX_PARSE_UNSET");
  expect_results({
      {"from ~~~ \"a\"", "GlobCase(from, \"a\")"},
      {"to ~~ \"a\"", "Glob(to, \"a\")"},
      {"subject =~~ \"a\"", "RegexCase(subject, /re/)"},
      {"from =~ \"a\"", "Regex(from, /re/)"},
      {"from === \"a\"", "StrCaseEq(from, \"a\")"},
      {"from == \"a\"", "StrEq(from, \"a\")"},
      {"from = \"a\"", "StrEq(from, \"a\")"},
      {"from !~~~ \"a\"", "Not(GlobCase(from, \"a\"))"},
      {"from !~~ \"a\"", "Not(Glob(from, \"a\"))"},
      {"from !=~~ \"a\"", "Not(RegexCase(from, /re/))"},
      {"from !=~ \"a\"", "Not(Regex(from, /re/))"},
      {"from !=== \"a\"", "Not(StrCaseEq(from, \"a\"))"},
      {"from !== \"a\"", "Not(StrEq(from, \"a\"))"},
      {"from != \"a\"", "Not(StrEq(from, \"a\"))"},
      {"from.addr ~~ \"*@x\"", "Glob(from.addr, \"*@x\")"},
      {"to . disp == \"Bob\"", "StrEq(to.disp, \"Bob\")"},
      {"\"X-Mailer\".disp == \"m\"", "StrEq(X-Mailer.disp, \"m\")"},
      {"path == \"p\"", "StrEq(path, \"p\")"},
      {"$QX_PARSE_VALUE ~~ $QX_PARSE_VALUE", "Glob(x-mailer, \"x-mailer\")"},
      {"$QX_PARSE_UNSET == \"\"", "StrEq(, \"\")"},
      {"\"x\" == \"a\"\"b\"", "StrEq(x, \"a\"b\")"},
      {"\"x\" == \"\"\"\"", "StrEq(x, \"\"\")"},
      {"\"x\" == \"a\nb\"", "StrEq(x, \"a\nb\")"},
      {"\"x\" == \"#not a comment\"", "StrEq(x, \"#not a comment\")"},
  });
}

TEST_F(Grammar, RegexesAreCompiledWithTheirFlags) {
  struct RegexCase {
    const char *text;
    const char *subject;
    bool matches;
  };
  const RegexCase cases[] = {
      {"from =~ \"^a+b$\"", "xx\naab", true},  // REG_NEWLINE: ^ and $ at line ends
      {"from =~ \"A\"", "a", false},
      {"from =~~ \"A\"", "a", true},
      {"from =~ \"a|b\"", "b", true},  // extended syntax
  };
  for (const auto &c : cases) {
    std::unique_ptr<TestNode> tree = parse_test(run, "argv", c.text);
    ASSERT_TRUE(tree && tree->regex) << c.text;
    EXPECT_EQ(regexec(tree->regex.get(), c.subject, 0, nullptr, 0) == 0, c.matches) << c.text;
    EXPECT_TRUE(tree->text.empty()) << c.text;
  }
}

TEST_F(Grammar, Redirections) {
  expect_results({
      {"print | \"lpr\"", "And(Print, ToPipe(\"lpr\", w))"},
      {"new >> \"log\"", "And(Flag(64), ToFile(\"log\", a+))"},
      {"new > \"out\" && seen", "And(Flag(64), And(ToFile(\"out\", w+), Flag(4)))"},
      {"(new && seen) > \"out\"", "And(Flag(64), And(Flag(4), ToFile(\"out\", w+)))"},
      {"size > >> \"f\"", "ToFile(\"f\", a+)"},
      {"size > | \"cmd\"", "ToPipe(\"cmd\", w)"},
      {"print > \"a\" > \"b\"",
       "qxfilter: parse error: argv:1:13: trailing garbage at '> \"b\"'\n"},
  });
}

TEST_F(Grammar, EmptyOperandsDropOut) {
  expect_results({
      {"size >", "(none)"},
      {"size > && new", "Flag(64)"},
      {"new && mtime <", "Flag(64)"},
      {"size > || size <", "(none)"},
      {"(size >)", "(none)"},
      {"let x = new in size >", "(none)"},
      {"size > foo", "qxfilter: parse error: argv:1:8: trailing garbage at 'foo'\n"},
  });
}

using Bindings = Grammar;

TEST_F(Bindings, ResolveInnermostAndFirst) {
  expect_results({
      {"let x = print in x && new", "And(Var(Print), Flag(64))"},
      {"let x = new let x = seen in x", "Var(Flag(64))"},
      {"let x = new let y = x in y", "Var(Var(Flag(64)))"},
      {"let x = new in let x = seen in x", "Var(Flag(4))"},
      {"let x = new in (let y = seen in x) && x", "And(Var(Flag(64)), Var(Flag(64)))"},
      {"let _a1 = new in _a1", "Var(Flag(64))"},
      {"let x = print in y", "qxfilter: parse error: argv:1:18: unknown expression at 'y'\n"},
      {"let x = x in x", "qxfilter: parse error: argv:1:9: unknown expression at 'x in x'\n"},
      {"(let x = new in x) && x", "qxfilter: parse error: argv:1:23: unknown expression at 'x'\n"},
      // A name that begins with a keyword is read as the keyword.
      {"let newest = seen in newest",
       "qxfilter: parse error: argv:1:25: trailing garbage at 'est'\n"},
  });
}

TEST_F(Bindings, AreSharedAndReleasedWithTheirLastUse) {
  // A binding that drops to no use while its "let" is open must survive a
  // later use (ASan reports the use after free otherwise).
  std::unique_ptr<TestNode> tree =
      parse_test(run, "argv", "let x = new in (let y = x in print) && x && x");
  ASSERT_EQ(tree_text(tree.get()), "And(Print, And(Var(Flag(64)), Var(Flag(64))))");
  Binding *x = tree->second->first->binding;
  EXPECT_EQ(x, tree->second->second->binding);
  EXPECT_EQ(x->refs, 2);
  EXPECT_FALSE(x->open);
  tree->second->first.reset();
  EXPECT_EQ(x->refs, 1);
  test_free(std::move(tree));  // the last Var releases x; LSan checks the rest

  // Unused bindings go at the end of their "let", with what they refer to.
  EXPECT_EQ(parse_result("let x = new let y = x > \"f\" in print"), "Print");
}

// let a0 = new let a1 = a0 ... in a<count - 1>
std::string binding_chain(int count) {
  std::string text = "let a0 = new";
  for (int i = 1; i < count; ++i)
    text += " let a" + std::to_string(i) + " = a" + std::to_string(i - 1);
  return text + " in a" + std::to_string(count - 1);
}

TEST_F(Bindings, ChainOfBindingsIsReleasedWithoutRecursion) {
  constexpr int kCount = 998;  // the most the nesting limit allows here
  std::string text = binding_chain(kCount);
  std::unique_ptr<TestNode> tree = parse_test(run, "argv", text.c_str());
  int depth = 0;
  for (const TestNode *node = tree.get(); node->kind == NodeKind::Var;
       node = node->binding->value.get())
    ++depth;
  EXPECT_EQ(depth, kCount);
}

TEST_F(ParseTest, ThreadKeywordsSetThreadBuffering) {
  const std::pair<const char *, int> cases[] = {
      {"replies > 0", 1},          {"parent", 1}, {"child", 1}, {"let x = child in new", 1},
      {"replied || depth > 0", 0}, {"passed", 0},
  };
  for (const auto &[text, expected] : cases) {
    run.thread_buffering = 0;
    parse_test(run, "argv", text);
    EXPECT_EQ(run.thread_buffering, expected) << text;
  }
}

TEST_F(ParseTest, TestAndFollowsTheChainRule) {
  auto parse = [this](const char *text) { return parse_test(run, "argv", text); };
  std::unique_ptr<TestNode> joined = test_and(run, parse("new && seen"), parse("draft && flagged"));
  EXPECT_EQ(tree_text(joined.get()), "And(Flag(64), And(Flag(4), And(Flag(16), Flag(32))))");
  joined = test_and(run, std::move(joined), parse("cur"));
  EXPECT_EQ(tree_text(joined.get()),
            "And(Flag(64), And(Flag(4), And(Flag(16), And(Flag(32), Flag(128)))))");
  EXPECT_EQ(tree_text(test_and(run, parse("new || seen"), parse("draft")).get()),
            "And(Or(Flag(64), Flag(4)), Flag(16))");
  EXPECT_EQ(tree_text(test_and(run, nullptr, parse("draft")).get()), "Flag(16)");
  EXPECT_EQ(tree_text(test_and(run, parse("draft"), nullptr).get()), "Flag(16)");
}

TEST_F(ParseTest, LongChainsAndDeepNestingWithinTheLimit) {
  constexpr int kOperands = 100000;
  std::string chain = "new";
  for (int i = 1; i < kOperands; ++i) chain += i % 2 ? " && seen" : " && new";
  std::unique_ptr<TestNode> tree = parse_test(run, "argv", chain.c_str());
  int ands = 0;
  const TestNode *node = tree.get();
  for (; node->kind == NodeKind::And; node = node->second.get()) {
    ASSERT_EQ(node->first->kind, NodeKind::FlagTest);
    ++ands;
  }
  EXPECT_EQ(ands, kOperands - 1);
  EXPECT_EQ(node->value, 4);

  constexpr int kDepth = 999;  // the whole test is the first level
  std::string nested = std::string(kDepth, '(') + "new" + std::string(kDepth, ')');
  EXPECT_EQ(parse_test(run, "argv", nested.c_str())->kind, NodeKind::FlagTest);
  std::string nots = std::string(kDepth, '!') + "new";
  EXPECT_EQ(parse_test(run, "argv", nots.c_str())->kind, NodeKind::Not);
  std::string conditions;
  for (int i = 0; i < kDepth; ++i) conditions += "new ? seen : ";
  conditions += "draft";
  EXPECT_EQ(parse_test(run, "argv", conditions.c_str())->kind, NodeKind::Cond);
}

using Errors = Grammar;

TEST_F(Errors, EveryMessageWithPlaceAndExcerpt) {
  expect_results({
      {"new seen", "qxfilter: parse error: argv:1:5: trailing garbage at 'seen'\n"},
      {"new ? seen ? print : skip : skip",
       "qxfilter: parse error: argv:1:12: expected : at '? print : skip :'\n"},
      {"new && (seen || (draft)",
       "qxfilter: parse error: argv:1:8: unterminated ( at '(seen || (draft)'\n"},
      {"", "qxfilter: parse error: argv:1:1: unknown expression at ''\n"},
      {"  # only a comment", "qxfilter: parse error: argv:1:19: unknown expression at ''\n"},
      {"new && ?", "qxfilter: parse error: argv:1:8: unknown expression at '?'\n"},
      {"!mtime > 5", "qxfilter: parse error: argv:1:2: unknown expression at 'mtime > 5'\n"},
      {"let = new in x", "qxfilter: parse error: argv:1:5: missing ident at '= new in x'\n"},
      {"let x = new let = seen in x",
       "qxfilter: parse error: argv:1:17: missing ident at '= seen in x'\n"},
      {"let x new", "qxfilter: parse error: argv:1:7: missing = at 'new'\n"},
      {"let x = new print", "qxfilter: parse error: argv:1:13: missing `in` at 'print'\n"},
      {"from.name == \"a\"",
       "qxfilter: parse error: argv:1:6: unknown decode parameter at 'name == \"a\"'\n"},
      {"fromage == \"a\"",
       "qxfilter: parse error: argv:1:5: invalid string operator at 'age == \"a\"'\n"},
      {"path.addr == \"a\"",
       "qxfilter: parse error: argv:1:5: invalid string operator at '.addr == \"a\"'\n"},
      {"subject == new", "qxfilter: parse error: argv:1:12: invalid string at 'new'\n"},
      {"size 10", "qxfilter: parse error: argv:1:6: invalid comparison at '10'\n"},
      {"mtime", "qxfilter: parse error: argv:1:6: invalid comparison at ''\n"},
      {"print | 5", "qxfilter: parse error: argv:1:9: expected command at '5'\n"},
      {"print >", "qxfilter: parse error: argv:1:8: expected file name at ''\n"},
      {"print >> x", "qxfilter: parse error: argv:1:10: expected file name at 'x'\n"},
      {"from == \"abc", "qxfilter: parse error: argv:1:13: unterminated string\n"},
      {"from == \"a\"\"", "qxfilter: parse error: argv:1:13: unterminated string\n"},
      {"$ == \"x\"", "qxfilter: parse error: argv:1:2: invalid environment variable name\n"},
      {"mtime > \"/nonexistent/x\" ",
       "qxfilter: parse error: argv:1:26: can't stat file '/nonexistent/x': No such file or "
       "directory\n"},
      {"mtime > \"yesterday\"",
       "qxfilter: parse error: argv:1:20: invalid time format 'yesterday'\n"},
      {"mtime > \"-2x\"", "qxfilter: parse error: argv:1:14: invalid relative time format '-2x'\n"},
  });
}

TEST_F(Errors, InvalidRegexShowsTheSystemText) {
  regex_t regex;
  int error = regcomp(&regex, "(", REG_EXTENDED | REG_NEWLINE);
  ASSERT_NE(error, 0);
  char message[256];
  regerror(error, &regex, message, sizeof message);
  EXPECT_EQ(parse_result("from =~ \"(\" "),
            std::string("qxfilter: parse error: argv:1:13: invalid regex '(': ") + message + "\n");
}

TEST_F(Errors, MissingRequiredOperandIsAnInvalidComparison) {
  expect_results({
      {"!size >", "qxfilter: parse error: argv:1:2: invalid comparison at 'size >'\n"},
      {"size > ? new : seen",
       "qxfilter: parse error: argv:1:1: invalid comparison at 'size > ? new : s'\n"},
      {"new ? size > : seen",
       "qxfilter: parse error: argv:1:7: invalid comparison at 'size > : seen'\n"},
      {"new ? seen : (size >)",
       "qxfilter: parse error: argv:1:14: invalid comparison at '(size >)'\n"},
      {"let x = size > in x",
       "qxfilter: parse error: argv:1:9: invalid comparison at 'size > in x'\n"},
  });
}

TEST_F(Errors, PlaceCountsLinesOutsideStrings) {
  const std::pair<const char *, const char *> cases[] = {
      {"new &&\n  # note\n  bar baz\nmore",
       "qxfilter: parse error: rules:3:3: unknown expression at 'bar baz'\n"},
      {"new &&\n  seen &&\n  from ~ \"a long pattern here\"",
       "qxfilter: parse error: rules:3:8: invalid string operator at '~ \"a long patter'\n"},
      // A newline inside a string is not counted: the column runs on.
      {"\"a\nb\" x", "qxfilter: parse error: rules:1:7: invalid string operator at 'x'\n"},
      {"new\r\n\tseen", "qxfilter: parse error: rules:2:2: trailing garbage at 'seen'\n"},
  };
  for (const auto &[text, expected] : cases) EXPECT_EQ(parse_result(text, "rules"), expected);
}

TEST_F(Errors, NestingBeyondTheLimit) {
  std::string nested = std::string(1000, '(') + "new" + std::string(1000, ')');
  EXPECT_EQ(parse_result(nested.c_str()),
            "qxfilter: parse error: argv:1:1001: nesting too deep at 'new)))))))))))))'\n");
  std::string nots = std::string(1000, '!') + "new";
  EXPECT_EQ(parse_result(nots.c_str()),
            "qxfilter: parse error: argv:1:1001: nesting too deep at 'new'\n");
  // A variable nests as deep as its value: a<k> takes k + 1 levels, and
  // the body and the whole test two more.
  std::string chain = binding_chain(999);
  EXPECT_EQ(parse_result(chain.c_str()),
            "qxfilter: parse error: argv:1:" + std::to_string(chain.size() - 3) +
                ": nesting too deep at 'a998'\n");
  std::string deep_value =
      "let x = " + std::string(997, '(') + "new" + std::string(997, ')') + " in x || !x";
  EXPECT_EQ(parse_result(deep_value.c_str()),
            "qxfilter: parse error: argv:1:" + std::to_string(deep_value.size()) +
                ": nesting too deep at 'x'\n");
}

TEST_F(Errors, LaterErrorsReportWhereTheLastParseEnded) {
  parse_test(run, "rules", "new &&\n  seen");
  EXPECT_THROW(
      {
        try {
          parse_error(run, "unknown property");
        } catch (const ParseFailure &failure) {
          EXPECT_EQ(failure.diagnostic, "qxfilter: parse error: rules:2:7: unknown property\n");
          throw;
        }
      },
      ParseFailure);
}

}  // namespace

namespace {

TEST(ParseFailureDefault, EndsTheRunWithTheDiagnosticAndTwo) {
  ParseRun run;
  try {
    parse_test(run, "argv", "new seen");
    FAIL() << "no parse error";
  } catch (const ToolExit &end) {
    EXPECT_EQ(end.message, "qxfilter: parse error: argv:1:5: trailing garbage at 'seen'\n");
    EXPECT_EQ(end.status, 2);
  }
}

}  // namespace
