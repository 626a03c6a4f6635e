#!/bin/sh
# qxwho over a generated maildir: time and peak memory for the whole
# folder, for names on standard input, and for a tenth of the folder (peak
# memory must not grow with the count), plus the bytes read per message
# (only the first 4096-byte block, which holds the empty line).
# Usage: bench/who.sh [COUNT]   (default 100000)
set -eu
. "$(dirname "$0")/common.sh"
COUNT=${1:-100000}

cd "$SCRATCH"
mkdir -p box/cur box/new box/tmp
# Messages of about 6.5 KiB: a varied header section (encoded words, groups,
# comments, folded lines, CR LF in every fifth) and a body larger than one
# 4096-byte block that holds a From line qxwho must never see.
awk -v count="$COUNT" 'BEGIN {
  body = ""
  for (i = 0; i < 120; ++i) body = body "From: body" i "@never.example is no header, just text\n"
  for (n = 1; n <= count; ++n) {
    file = sprintf("box/cur/1765000000.M%06dP42Q%d.host:2,S", n, n)
    eol = (n % 5 == 0) ? "\r\n" : "\n"
    printf "Return-Path: <sender%d@example.org>%s", n % 997, eol > file
    printf "Received: from mx%d.example.org (mx%d.example.org [192.0.2.%d])%s\tby mail.example.net with ESMTPS id %x%s\tfor <me@example.net>; Mon, 1 Dec 2025 12:%02d:00 +0000%s", n % 7, n % 7, n % 250, eol, n, eol, n % 60, eol >> file
    if (n % 3 == 0) printf "From: =?UTF-8?Q?Jos=C3=A9_N=C3=BA=C3=B1ez_%d?= <jose%d@example.org>%s", n % 101, n % 101, eol >> file
    else if (n % 3 == 1) printf "From: \"Doe, John %d\" <john%d@example.com>%s", n % 89, n % 89, eol >> file
    else printf "From: user%d@example.com (User Number %d)%s", n % 83, n % 83, eol >> file
    printf "To: Team: alice@example.net, Bob <bob@example.net>,%s carol@example.net;, me@example.net%s", eol, eol >> file
    if (n % 2 == 0) printf "Cc: \"Q. Public\" <q%d@example.com>, =?ISO-8859-1?Q?Andr=E9?= <andre@example.fr>%s", n % 13, eol >> file
    printf "Subject: message %d about things%sDate: Mon, 1 Dec 2025 12:00:00 +0000%s", n, eol, eol >> file
    printf "Message-ID: <%d.%d@example.org>%sMIME-Version: 1.0%sContent-Type: text/plain; charset=utf-8%s%s", n, n * 7, eol, eol, eol, eol >> file
    printf "%s", body >> file
    close(file)
  }
}'
ls box/cur | sed 's|^|box/cur/|' >names
printf '%d messages, %d bytes in all\n' "$COUNT" "$(cat names | xargs cat | wc -c)"

measure "qxwho ./box (maildir)" "$BIN/qxwho" ./box
measure "qxwho -a ./box" "$BIN/qxwho" -a ./box
measure "qxwho -d ./box" "$BIN/qxwho" -d ./box
measure "qxwho, names on standard input" sh -c "'$BIN/qxwho' <names"
head -n $((COUNT / 10)) names >tenth
measure "qxwho, a tenth of the names" sh -c "'$BIN/qxwho' <tenth"
printf '%d output lines\n' "$("$BIN/qxwho" ./box | wc -l)"
if "$BIN/qxwho" ./box | grep -q never.example; then echo "FAIL: a body line was printed"; exit 1; fi

# Bytes read from message files, per message, for the first 1000 names.
if command -v strace >/dev/null; then
  head -n 1000 names >sample
  strace -o trace -e trace=openat,read,close "$BIN/qxwho" <sample >/dev/null
  awk '/^openat\(.*box\/cur/ { split($0, a, "= "); open[a[2] + 0] = 1; files++ }
       /^read\(/ { split($0, a, "[(,]"); fd = a[2] + 0; split($0, r, "= ");
                   if (fd in open) { bytes += r[2]; reads++ } }
       /^close\(/ { split($0, a, "[()]"); delete open[a[2] + 0] }
       END { printf "message files: %d, reads: %d, bytes read per message: %.0f\n", files, reads, bytes / files }' trace
  printf 'bytes per message file: %d\n' "$(( $(cat sample | xargs cat | wc -c) / 1000 ))"
fi
