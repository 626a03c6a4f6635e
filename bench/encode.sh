#!/bin/sh
# Benchmark of qxencode: a draft with a 100 MB binary attachment (sent as
# base64), one with a 100 MB UTF-8 text attachment (quoted-printable) and
# one with a binary attachment four times as large (its peak memory should
# be that of the first), each against coreutils base64 over the same file
# as the floor. For each
# command: the best wall time and CPU time (user + system) of RUNS runs,
# peak memory (maximum resident set size), and the ratio to the floor.
#
#   sh bench/encode.sh [BIN_DIR] [MEGABYTES] [RUNS]
set -eu

bin=${1:-build/bin}
megabytes=${2:-100}
runs=${3:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/qxencode-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

head -c "${megabytes}M" /dev/urandom > "$work/binary"
cat "$work/binary" "$work/binary" "$work/binary" "$work/binary" > "$work/large"
# Lines of 40 to 100 bytes with accented letters.
awk -v size=$((megabytes * 1024 * 1024)) 'BEGIN {
  line = "Le cœur a ses raisons que la raison ne connaît point; déjà vu, naïve café crème."
  while (written < size) {
    text = substr(line line, 1 + written % 37, 40 + written % 61)
    print text
    written += length(text) + 1
  }
}' > "$work/text"
printf 'Subject: binary\n\nSee attached.\n#application/octet-stream %s\n' "$work/binary" \
  > "$work/draft-binary"
printf 'Subject: text\n\nSee attached.\n#text/plain %s\n' "$work/text" > "$work/draft-text"
printf 'Subject: large\n\nSee attached.\n#application/octet-stream %s\n' "$work/large" \
  > "$work/draft-large"
"$bin/qxencode" < "$work/draft-text" | grep -q '^Content-Transfer-Encoding: quoted-printable$'

# measure COMMAND...: sets best (wall seconds), cpu (seconds) and memory (KB).
measure() {
  best=; cpu=
  for run in $(seq "$runs"); do
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" > /dev/null
    read -r wall user system memory < "$work/time"
    used=$(echo "$user + $system" | bc)
    if [ -z "$best" ] || [ "$(echo "$wall < $best" | bc)" = 1 ]; then best=$wall; fi
    if [ -z "$cpu" ] || [ "$(echo "$used < $cpu" | bc)" = 1 ]; then cpu=$used; fi
  done
}

cat "$work/binary" "$work/text" "$work/large" > /dev/null  # into the page cache
printf '%-24s %8s %8s %10s %12s\n' "" "wall s" "cpu s" "peak KB" "vs floor"
for kind in binary text large; do
  measure base64 "$work/$kind"
  floor_wall=$best floor_cpu=$cpu
  printf '%-24s %8.2f %8.2f %10d\n' "base64 $kind (floor)" "$best" "$cpu" "$memory"
  measure sh -c "exec '$bin/qxencode' < '$work/draft-$kind'"
  printf '%-24s %8.2f %8.2f %10d %5.2f / %4.2f\n' "qxencode $kind" "$best" "$cpu" "$memory" \
    "$(echo "$best / $floor_wall" | bc -l)" "$(echo "$cpu / $floor_cpu" | bc -l)"
done
echo "(vs floor: wall ratio / cpu ratio)"
