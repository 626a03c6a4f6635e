#!/bin/sh
# The reading tools next to their floors, each pair measured in the same
# run: qxfilter, qxsearch and qxwho against a loop that opens each file and
# reads its first 4096 bytes, and a body search against a loop that reads
# each whole file. Each pair runs RUNS times alternately; the medians and
# their ratio are printed, with the peak memory of the tool. Warm runs
# read from the page cache; cold runs (only as root, where the caches can
# be dropped) start each run with empty caches. The scale row runs the
# filter over ten times the names (the same files repeated), which must
# take about ten times as long in the same memory.
# Usage: bench/readers.sh [COUNT] [RUNS]   (default 50000 messages, 5 runs;
# COLD=no leaves out the cold runs)
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/common.sh"
COUNT=${1:-50000}
RUNS=${2:-5}
export LC_ALL=C.UTF-8

cd "$SCRATCH"
sh "$HERE/corpus.sh" box "$COUNT"
find box/cur -type f | sort >names
for i in 1 2 3 4 5 6 7 8 9 10; do cat names; done >names10
c++ -O2 -std=c++20 -o floor "$HERE/read_floor.cc"
c++ -O2 -o clock "$HERE/rusage.cc"
printf '%d messages, %s\n' "$COUNT" "$(du -sh box | cut -f1)"

FILTER="'$BIN/qxfilter' -t 'from.addr ~~ \"*7@example.net\"'"
SUBJECT="'$BIN/qxsearch' -d -i subject:zanzibar"
WHO="'$BIN/qxwho' -h from:to:cc"
BODY="'$BIN/qxsearch' /:zanzibar"

cold=false
if [ "${COLD:-yes}" != no ] && [ "$(id -u)" = 0 ] && [ -w /proc/sys/vm/drop_caches ]; then
  cold=true
fi
drop() { sync; echo 3 >/proc/sys/vm/drop_caches; }
warm() { xargs cat <names >/dev/null; }

# once COMMAND: runs it with its output discarded and sets seconds and
# kilobytes (peak resident memory).
once() {
  if [ "$mode" = cold ]; then drop; fi
  ./clock "$SCRATCH/time" sh -c "$1 >/dev/null || :"
  read -r seconds kilobytes <"$SCRATCH/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# pair LABEL FLOOR TOOL: RUNS paired runs, then one line of medians.
pair() {
  : >floor.times
  : >tool.times
  peak=0
  for run in $(seq "$RUNS"); do
    once "$2"
    echo "$seconds" >>floor.times
    once "$3"
    echo "$seconds" >>tool.times
    [ "$kilobytes" -gt "$peak" ] && peak=$kilobytes
  done
  f=$(median <floor.times)
  t=$(median <tool.times)
  awk -v l="$1" -v m="$mode" -v t="$t" -v f="$f" -v p="$peak" \
    'BEGIN { printf "%-28s %-5s %8.3f %8.3f %7.2f %9d\n", l, m, t, f, (f > 0 ? t / f : 0), p }'
}

printf '%-28s %-5s %8s %8s %7s %9s\n' job cache "tool s" "floor s" ratio "peak KiB"
modes=warm
$cold && modes="warm cold"
for mode in $modes; do
  [ "$mode" = warm ] && warm
  pair "qxfilter from.addr glob" "./floor first <names" "$FILTER <names"
  pair "qxsearch -d -i subject:" "./floor first <names" "$SUBJECT <names"
  pair "qxwho -h from:to:cc" "./floor first <names" "$WHO <names"
  pair "qxsearch /:word" "./floor whole <names" "$BODY <names"
done
mode=warm
pair "scale: qxfilter, 10x names" "$FILTER <names" "$FILTER <names10"
echo "(scale row: the floor column is the filter over the names once)"

# What the jobs found: the body search sees the rare word in its encoded forms.
printf 'found: %s bodies and %s subjects with the word, %s senders matched\n' \
  "$("$BIN/qxsearch" -c /:zanzibar <names || :)" \
  "$("$BIN/qxsearch" -c -d -i subject:zanzibar <names || :)" \
  "$(sh -c "$FILTER <names" | wc -l)"
