#!/bin/sh
# qxsearch over a generated maildir (bench/corpus.sh): (a) a Subject
# search next to a loop that reads each header block, (b) a body search
# for a rare word and (c) the same with -c, next to grep -l -r and to a
# loop that reads each whole file (the floor). Names come from a list on
# standard input, so that listing the maildir is not measured. Runs in
# the C.UTF-8 locale, as a user's searches would.
# Usage: bench/search.sh [COUNT]   (default 100000)
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/common.sh"
COUNT=${1:-100000}
export LC_ALL=C.UTF-8

cd "$SCRATCH"
sh "$HERE/corpus.sh" box "$COUNT"
find box/cur -type f >names
c++ -O2 -std=c++20 -o floor "$HERE/read_floor.cc"
printf '%d messages, %s\n' "$COUNT" "$(du -sh box | cut -f1)"
xargs cat <names >/dev/null  # into the page cache

# timed VARIABLE LABEL COMMAND...: measure, keeping the seconds in
# VARIABLE. The commands end with "|| :": finding nothing is no failure.
timed() {
  variable=$1
  shift
  measure "$@"
  read -r seconds _ <"$SCRATCH/time"
  eval "$variable=\$seconds"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

timed header_floor "floor: read each header block" sh -c "./floor header <names"
timed subject "(a) qxsearch subject:zanzibar" sh -c "'$BIN/qxsearch' subject:zanzibar <names || :"
timed floor "floor: read each whole file" sh -c "./floor whole <names"
timed grep_time "grep -l -r zanzibar" sh -c "grep -l -r zanzibar box || :"
timed body "(b) qxsearch /:zanzibar" sh -c "'$BIN/qxsearch' /:zanzibar <names || :"
timed count "(c) qxsearch -c /:zanzibar" sh -c "'$BIN/qxsearch' -c /:zanzibar <names || :"

echo
echo "(a) / header floor: $(ratio "$subject" "$header_floor")"
echo "(b) / floor: $(ratio "$body" "$floor")    grep -l / floor: $(ratio "$grep_time" "$floor")"
echo "(c) / floor: $(ratio "$count" "$floor")"
printf 'found: qxsearch %s messages, grep -l %s files\n' \
  "$("$BIN/qxsearch" -c /:zanzibar <names || true)" "$(grep -l -r zanzibar box | wc -l)"
