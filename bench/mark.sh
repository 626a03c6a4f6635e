#!/bin/sh
# qxmark over many names: from standard input (memory must stay constant)
# and over a Sequence (memory about the size of the Sequence text).
# Usage: bench/mark.sh [COUNT]   (default 100000)
set -eu
. "$(dirname "$0")/common.sh"
COUNT=${1:-100000}

cd "$SCRATCH"
mkdir -p box/cur box/new box/tmp
# Empty files suffice: qxmark renames without reading them.
seq 1 "$COUNT" | sed 's|^|box/cur/1765000000.M|; s|$|P42Q1.host:2,|' >names
(cd box/cur && sed 's|^box/cur/||' ../../names | xargs touch)
printf 'Sequence of %d lines: %d bytes\n' "$COUNT" "$(wc -c <names)"

measure "qxmark -S, names on standard input" sh -c "'$BIN/qxmark' -S <names"
sed 's|:2,$|:2,S|' names >seq
measure "qxmark -s, whole Sequence (:)" env MAILSEQ="$SCRATCH/seq" QUOBIX="$SCRATCH" "$BIN/qxmark" -s :
measure "qxmark -v -S 1, list on a pipe" sh -c "MAILSEQ='$SCRATCH/seq' QUOBIX='$SCRATCH' '$BIN/qxmark' -v -S 1 <names"
