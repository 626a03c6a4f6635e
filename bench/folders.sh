#!/bin/sh
# qxfolders over a tree of many maildirs, next to find(1) looking for the
# same folders by their cur/ directories. Prints the ratio of the times.
# Usage: bench/folders.sh [COUNT] [ROUNDS]   (default 10000 maildirs, 5 rounds)
set -eu
. "$(dirname "$0")/common.sh"
COUNT=${1:-10000}
ROUNDS=${2:-5}

# 100 maildirs per user directory, every tenth of them the .Sent subfolder
# of the one before, and two messages in each cur/ so that find has
# entries to read past.
cd "$SCRATCH"
mkdir mail
i=0
while [ "$i" -lt "$COUNT" ]; do
  if [ $((i % 10)) -eq 9 ]; then
    box=$parent/.Sent
  else
    box=mail/u$((i / 100))/box$i
    parent=$box
  fi
  echo "$box/cur $box/new $box/tmp"
  i=$((i + 1))
done | xargs mkdir -p
find mail -type d -name cur | sed 's|$|/1765000000.M1P1Q1.host:2,S|' | xargs touch
find mail -type d -name cur | sed 's|$|/1765000001.M2P1Q2.host:2,|' | xargs touch
printf 'Tree: %d maildirs, %d directories\n' "$(find mail -type d -name cur | wc -l)" \
  "$(find mail -type d | wc -l)"

# Warm the caches, and check that both see the same folders.
"$BIN/qxfolders" mail | sort >folders
find "$SCRATCH/mail" -type d -name cur | sed 's|/cur$||' | sort >found
cmp -s folders found || { echo "qxfolders and find disagree" >&2; exit 1; }

measure "qxfolders mail (x$ROUNDS)" sh -c "for r in \$(seq $ROUNDS); do '$BIN/qxfolders' mail; done"
read -r ours _ <"$SCRATCH/time"
measure "find mail -type d -name cur (x$ROUNDS)" sh -c "for r in \$(seq $ROUNDS); do find mail -type d -name cur; done"
read -r theirs _ <"$SCRATCH/time"
awk -v ours="$ours" -v theirs="$theirs" \
  'BEGIN { if (ours > 0) printf "find / qxfolders: %.2f (above 1: qxfolders is faster)\n", theirs / ours }'
