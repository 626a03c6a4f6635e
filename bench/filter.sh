#!/bin/sh
# qxfilter over a generated maildir: a flag-only test, a From address
# pattern and a date comparison, against the floor for a header test (a
# loop that only opens each file and reads its first 4096 bytes).
# Usage: bench/filter.sh [COUNT]   (default 100000)
set -eu
. "$(dirname "$0")/common.sh"
COUNT=${1:-100000}
HERE=$(cd "$(dirname "$0")" && pwd)

cd "$SCRATCH"
c++ -O2 -std=c++20 -o floor "$HERE/read_floor.cc"
mkdir -p box/cur box/new box/tmp
# Messages of a few hundred bytes; one in four from example.org, every
# third one seen, dates spread over a year.
awk -v count="$COUNT" 'BEGIN {
  for (i = 1; i <= count; i++) {
    name = sprintf("box/cur/%d.M%dP42Q1.host:2,%s", 1765000000 + i, i, i % 3 ? "" : "S")
    domain = i % 4 ? "example.com" : "example.org"
    day = i % 28 + 1; month = substr("JanFebMarAprMayJunJulAugSepOctNovDec", (i % 12) * 3 + 1, 3)
    printf "Return-Path: <user%d@%s>\nReceived: from mx.%s by host with SMTP id %d\n", i, domain, domain, i > name
    printf "From: User %d <user%d@%s>\nTo: list@example.net\n", i, i, domain > name
    printf "Subject: message number %d\nDate: Thu, %d %s 2026 10:%02d:00 +0100\n", i, day, month, i % 60 > name
    printf "Message-ID: <%d@host>\n\nBody of message %d.\n", i, i > name
    close(name)
    print name > "names"
  }
}'
printf '%d messages, %d bytes of names\n' "$COUNT" "$(wc -c <names)"
./floor <names >/dev/null  # warm the cache

measure "floor: open and read 4096 bytes" sh -c "./floor first <names"
measure "(a) -t seen" sh -c "'$BIN/qxfilter' -t seen <names"
measure "(b) -t 'from.addr ~~ \"*@example.org\"'" \
  sh -c "'$BIN/qxfilter' -t 'from.addr ~~ \"*@example.org\"' <names"
measure "(c) -t 'date > \"2026-07-01\"'" sh -c "'$BIN/qxfilter' -t 'date > \"2026-07-01\"' <names"
measure "(b) over the maildir argument" \
  sh -c "'$BIN/qxfilter' -t 'from.addr ~~ \"*@example.org\"' ./box"
measure "thread mode: -T -t seen" sh -c "'$BIN/qxfilter' -T -t seen <names"
