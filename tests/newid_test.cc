// qxnewid end to end: the Message-ID format, uniqueness, and the host
// search through the Profile and this machine's canonical name.
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <regex>
#include <set>
#include <string>

#include "harness.h"

namespace {

using namespace std::string_literals;

const std::string kNoHost =
    "qxnewid: failed to find a FQDN for the Message-ID.\n"
    " Define 'FQDN:' or 'Local-Mailbox:' in ${QUOBIX:-$HOME/.quobix}/profile\n"
    " or add a FQDN to /etc/hosts.\n";

// The host part of a well-formed Message-ID line: two parts of 13 base-36
// digits with the top bit set (so beginning with 1, 2 or 3), then the host.
std::optional<std::string> id_host(const std::string &out) {
  static const std::regex line("<[1-3][0-9A-Z]{12}\\.[1-3][0-9A-Z]{12}@(.*)>\n");
  std::smatch match;
  if (!std::regex_match(out, match, line)) return std::nullopt;
  return match[1].str();
}

// This machine's usable canonical name, when it has one: it then decides
// before the Profile's Local-Mailbox entry.
std::optional<std::string> machine_fqdn() {
  char name[1024];
  if (gethostname(name, sizeof name) != 0) return std::nullopt;
  name[sizeof name - 1] = '\0';
  addrinfo hints{};
  hints.ai_flags = AI_CANONNAME;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo *list = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &list) != 0) return std::nullopt;
  std::optional<std::string> fqdn;
  const char *canonical = list->ai_canonname;
  if (canonical && strchr(canonical, '.') && strncmp(canonical, "localhost.", 10) != 0)
    fqdn = canonical;
  freeaddrinfo(list);
  return fqdn;
}

class NewId : public Sandbox {
 protected:
  // Expects a Message-ID with the given host part, or without one the
  // failure; a usable canonical name of the machine wins over either.
  void expect_host(const std::optional<std::string> &host) {
    RunResult result = run({"qxnewid"});
    std::optional<std::string> expected = fqdn ? fqdn : host;
    if (!expected) {
      EXPECT_EQ(result, (RunResult{"", kNoHost, 1}));
      return;
    }
    EXPECT_EQ(id_host(result.out), expected) << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
  }

  std::optional<std::string> fqdn = machine_fqdn();
};

TEST_F(NewId, ProfileFqdnIsTheHostPartAsWritten) {
  for (const std::string &value : {"mail.example.org"s, "localhost.nodot"s, "no_check at all"s}) {
    write_file(".quobix/profile", "Local-Mailbox: me@mailbox.example\nFQDN: " + value + "\n");
    RunResult result = run({"qxnewid", "-x", "ignored"});
    EXPECT_EQ(id_host(result.out), value) << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
  }
}

TEST_F(NewId, EveryRunGivesADifferentId) {
  write_file(".quobix/profile", "fqdn: example.org\n");
  std::set<std::string> firsts, seconds;
  for (int i = 0; i < 5; ++i) {
    std::string out = run({"qxnewid"}).out;
    ASSERT_TRUE(id_host(out)) << out;
    firsts.insert(out.substr(1, 13));
    seconds.insert(out.substr(15, 13));
  }
  EXPECT_EQ(firsts.size(), 5u);
  EXPECT_EQ(seconds.size(), 5u);  // random bits alone, without the time
}

TEST_F(NewId, ProfileInTheQuobixDirectory) {
  set_env("QUOBIX", path("elsewhere"));
  write_file("elsewhere/profile", "fqdn: elsewhere.example\n");
  write_file(".quobix/profile", "fqdn: home.example\n");
  EXPECT_EQ(id_host(run({"qxnewid"}).out), "elsewhere.example");
}

TEST_F(NewId, WithoutProfileOnlyTheCanonicalNameCounts) { expect_host(std::nullopt); }

TEST_F(NewId, LocalMailboxGivesTheDomainOfItsFirstAddressWithAnAt) {
  const struct {
    std::string profile;
    std::optional<std::string> host;
  } cases[] = {
      {"Local-Mailbox: Jane Doe <jane@example.org>\n", "example.org"},
      {"local-mailbox: jane, (comment) Joe <joe@b.example>\n", "b.example"},
      {"local-mailbox: jane, joe\n", std::nullopt},
      {"local-mailbox:\n", std::nullopt},
      {"maildir: ~/Mail\n\nfqdn: after.the.end\nlocal-mailbox: me@after.end\n", std::nullopt},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.profile);
    write_file(".quobix/profile", c.profile);
    expect_host(c.host);
  }
}

TEST_F(NewId, BinaryAndHugeProfiles) {
  write_file(".quobix/profile", "fqdn: a\0b\r\xff\n"s);
  EXPECT_EQ(id_host(run({"qxnewid"}).out), "a b \xff");
  std::string huge;
  for (int i = 0; i < 50000; ++i) huge += "x-padding-" + std::to_string(i) + ": value\n";
  write_file(".quobix/profile", huge + "fqdn: late.example\n");
  EXPECT_EQ(id_host(run({"qxnewid"}).out), "late.example");
  write_file(".quobix/profile", std::string(100000, '\0'));
  expect_host(std::nullopt);
}

}  // namespace
