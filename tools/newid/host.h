// Where the right-hand side of a Message-ID comes from: the Profile, the
// host's canonical name, or the domain of the user's own address.
#pragma once

#include <cstddef>

#include "message/message.h"

constexpr size_t kHostSize = 1024;

// The Profile's "fqdn:" value, taken as it is; null without one.
const char *profile_fqdn(const Message *profile);

// The canonical name of this host, copied into buffer, when it has a dot
// and is not a "localhost." name; null otherwise.
const char *canonical_host(char (&buffer)[kHostSize]);

// Everything after the first "@" of the first address with one in the
// Profile's "local-mailbox:" list; null without one. Points into the
// address parser's buffer.
const char *mailbox_domain(const Message *profile);

// The first of the three that gives a host part (the Profile's steps are
// skipped when profile is null), or null.
const char *host_search(const Message *profile, char (&buffer)[kHostSize]);
