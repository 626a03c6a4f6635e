// qxnewid: prints a fresh, globally unique Message-ID.
#include <sys/time.h>

#include <cstdio>

#include "host.h"
#include "id.h"
#include "message/message.h"
#include "select/config.h"
#include "util/finish.h"
#include "util/help.h"

namespace {

constexpr char kUsage[] = "Usage: qxnewid\n";

int newid_main(int argc, char *argv[]) {
  if (help_requested(argc, argv, {"qxnewid", kUsage, {}})) return 0;
  const char *path = config_path("profile");
  MessagePtr profile = path ? message_open(path) : nullptr;
  char host_buffer[kHostSize];
  const char *host = host_search(profile.get(), host_buffer);
  if (!host) {
    fputs(
        "qxnewid: failed to find a FQDN for the Message-ID.\n"
        " Define 'FQDN:' or 'Local-Mailbox:' in ${QUOBIX:-$HOME/.quobix}/profile\n"
        " or add a FQDN to /etc/hosts.\n",
        stderr);
    return 1;
  }

  timeval now;
  gettimeofday(&now, nullptr);
  IdParts parts = id_parts(random_bits("/dev/urandom", now), now);
  char first[kBase36Size], second[kBase36Size];
  printf("<%s.%s@%s>\n", base36_write(parts.first, first), base36_write(parts.second, second),
         host);
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  return tool_main("qxnewid", 1, [&] { return newid_main(argc, argv); });
}
