#include "host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

std::optional<std::string> found(const char *text) {
  return text ? std::optional<std::string>(text) : std::nullopt;
}

struct ProfileCase {
  const char *profile;
  std::optional<std::string> fqdn;
  std::optional<std::string> domain;
};

TEST(HostFromProfile, FqdnAndLocalMailboxEntries) {
  const ProfileCase cases[] = {
      {"FQDN: mail.example.org\n", "mail.example.org", std::nullopt},
      {"fqdn:\n", "", std::nullopt},  // taken without any check
      {"Local-Mailbox: Jane Doe <jane@example.org>\n", std::nullopt, "example.org"},
      {"local-mailbox: jane, Second <s@b.example>, t@c.example\n", std::nullopt, "b.example"},
      {"local-mailbox: jane, joe\n", std::nullopt, std::nullopt},
      {"local-mailbox:\n", std::nullopt, std::nullopt},
      {"local-mailbox: \"a b\"@x.example\n", std::nullopt, "x.example"},
      {"maildir: ~/Mail\n\nfqdn: after.the.end\n", std::nullopt, std::nullopt},
  };
  for (const ProfileCase &c : cases) {
    MessagePtr profile = message_from_memory(c.profile, strlen(c.profile));
    ASSERT_TRUE(profile);
    EXPECT_EQ(found(profile_fqdn(profile.get())), c.fqdn) << c.profile;
    EXPECT_EQ(found(mailbox_domain(profile.get())), c.domain) << c.profile;
  }
}

TEST(HostFromProfile, NoProfileGivesNothing) {
  EXPECT_EQ(profile_fqdn(nullptr), nullptr);
  EXPECT_EQ(mailbox_domain(nullptr), nullptr);
}

TEST(HostSearch, FqdnWinsOverEverythingElse) {
  const char text[] = "local-mailbox: me@mailbox.example\nfqdn: profile.example\n";
  MessagePtr profile = message_from_memory(text, sizeof text - 1);
  char buffer[kHostSize];
  EXPECT_STREQ(host_search(profile.get(), buffer), "profile.example");
}

TEST(HostSearch, CanonicalNameComesBeforeTheMailboxDomain) {
  const char text[] = "local-mailbox: me@mailbox.example\n";
  MessagePtr profile = message_from_memory(text, sizeof text - 1);
  char expected[kHostSize], buffer[kHostSize];
  const char *canonical = canonical_host(expected);
  EXPECT_STREQ(host_search(profile.get(), buffer), canonical ? canonical : "mailbox.example");
  EXPECT_EQ(found(host_search(nullptr, buffer)), found(canonical));
}

}  // namespace
