#include "host.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "message/address.h"

namespace {

struct AddrinfoFree {
  void operator()(addrinfo *list) const { freeaddrinfo(list); }
};

}  // namespace

const char *profile_fqdn(const Message *profile) {
  return profile ? header_find(profile, "fqdn") : nullptr;
}

const char *canonical_host(char (&buffer)[kHostSize]) {
  if (gethostname(buffer, kHostSize) != 0) return nullptr;
  buffer[kHostSize - 1] = '\0';
  addrinfo hints{};  // any address family, no service
  hints.ai_flags = AI_CANONNAME;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo *found = nullptr;
  if (getaddrinfo(buffer, nullptr, &hints, &found) != 0) return nullptr;
  std::unique_ptr<addrinfo, AddrinfoFree> list(found);
  const char *name = list->ai_canonname;
  if (!name || !strchr(name, '.') || strncmp(name, "localhost.", 10) == 0) return nullptr;
  snprintf(buffer, kHostSize, "%s", name);
  return buffer;
}

const char *mailbox_domain(const Message *profile) {
  const char *list = profile ? header_find(profile, "local-mailbox") : nullptr;
  const char *address = nullptr;
  while (list && (list = address_parse(list, nullptr, &address))) {
    if (const char *at = address ? strchr(address, '@') : nullptr) return at + 1;
  }
  return nullptr;
}

const char *host_search(const Message *profile, char (&buffer)[kHostSize]) {
  if (const char *fqdn = profile_fqdn(profile)) return fqdn;
  if (const char *canonical = canonical_host(buffer)) return canonical;
  return mailbox_domain(profile);
}
