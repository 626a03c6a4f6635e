#!/bin/sh
# A short tour over a copy of the sample maildir in examples/Mail.
# Usage: examples/demo.sh BINDIR
set -eu
BIN=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quobix-demo-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
cp -R "$HERE/Mail" "$WORK/"
cd "$WORK"
export QUOBIX="$WORK/config" PATH="$BIN:$PATH"
mkdir -p "$QUOBIX"

step() { printf '\n$ %s\n' "$*"; sh -c "$*"; }

echo "A Sequence is a list of message files, one per line; indentation is thread depth."
cat >"$QUOBIX/seq" <<'SEQ'
Mail/inbox/cur/1765360800.M100001P4242Q1.example:2,S
 Mail/inbox/cur/1765364400.M100002P4242Q2.example:2,
Mail/inbox/cur/1765368000.M100003P4242Q3.example:2,
SEQ
step "cat \"\$QUOBIX/seq\""

echo
echo "qxmark sets flags by renaming files; it prints the new names."
step "qxmark -S 2:3"
echo
echo "Names flow through pipes: mark the whole inbox flagged, then list it."
step "qxmark -F ./Mail/inbox | qxmark -v -r"
# Each tool adds its own part of the tour in demo.d/.
for part in "$HERE"/demo.d/*.sh; do
  [ -f "$part" ] && . "$part"
done
exit 0
