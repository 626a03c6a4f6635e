// qxwho's per-message work: the mailboxes of a message's address headers,
// printed in a form that can be pasted back into an address header.
#pragma once

#include <cstdio>

#include "message/load.h"

// What each mailbox line shows.
enum class WhoMode {
  Both,       // quoted-if-needed display name and " <address>", or the address alone
  Addresses,  // -a
  Names,      // -d
};

// The header list used without -h.
inline constexpr char kWhoDefaultHeaders[] =
    "from:sender:reply-to:to:cc:bcc:resent-from:resent-sender:resent-to:resent-cc:resent-bcc:";

// True when name cannot stand as a bare phrase: a byte below 0x20 or one of
// ()<>[]:;@\,." in it.
bool name_needs_quoting(const char *name);

// Writes name, in double quotes with " and \ escaped when it needs quoting.
void name_print(FILE *out, const char *name);

// Prints the mailboxes of the headers named in headers (colon-separated,
// modified in place during each lookup and restored) for the message file
// name (leading blanks skipped), loaded ahead in load or now. A message
// that cannot be read prints nothing.
void who_one(FILE *out, const char *name, MessageLoad &load, char *headers, WhoMode mode);
