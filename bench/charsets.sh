#!/bin/sh
# What --charsets costs qxsearch: a body search for a rare word over a
# generated maildir whose plain messages are in ISO-8859-1 and
# windows-1252 (bench/corpus.sh ... charsets), with and without the
# option, next to a loop that reads each whole file (the floor). Runs in
# the C.UTF-8 locale, as a user's searches would.
# Usage: bench/charsets.sh [COUNT]   (default 100000)
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/common.sh"
COUNT=${1:-100000}
export LC_ALL=C.UTF-8

cd "$SCRATCH"
sh "$HERE/corpus.sh" box "$COUNT" charsets
find box/cur -type f >names
c++ -O2 -std=c++20 -o floor "$HERE/read_floor.cc"
printf '%d messages, %s\n' "$COUNT" "$(du -sh box | cut -f1)"
xargs cat <names >/dev/null  # into the page cache

# Three rounds, the two searches side by side in each, so that a busy
# machine shows as noise across rounds rather than as a cost.
for round in 1 2 3; do
  measure "$round: floor: read each whole file" sh -c "./floor whole <names"
  measure "$round: qxsearch /:zanzibar" sh -c "'$BIN/qxsearch' /:zanzibar <names || :"
  measure "$round: qxsearch --charsets /:zanzibar" \
    sh -c "'$BIN/qxsearch' --charsets /:zanzibar <names || :"
done
printf 'found: %s messages without the option, %s with it\n' \
  "$("$BIN/qxsearch" -c /:zanzibar <names || true)" \
  "$("$BIN/qxsearch" --charsets -c /:zanzibar <names || true)"
