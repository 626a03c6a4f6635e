#!/bin/sh
# qxstore -M over a generated mbox, then qxmove over the stored messages
# (by rename, and with -k by copy), each next to its floor: for a
# delivery, exclusive create in tmp/, write, fsync, close and rename (and
# the same without fsync, to show what the fsync costs); for a move, one
# rename a message.
# Usage: bench/store.sh [COUNT] [SIZE]   (default 50000 messages of 4000 bytes)
set -eu
. "$(dirname "$0")/common.sh"
COUNT=${1:-50000}
SIZE=${2:-4000}
HERE=$(cd "$(dirname "$0")" && pwd)

cd "$SCRATCH"
g++ -O2 -std=c++20 -o mbox_gen "$HERE/mbox_gen.cc"
g++ -O2 -std=c++20 -o deliver_floor "$HERE/deliver_floor.cc"
./mbox_gen "$COUNT" "$SIZE" >in.mbox
printf 'mbox of %d messages: %d bytes\n' "$COUNT" "$(wc -c <in.mbox)"
maildir() { rm -rf "$1" && mkdir -p "$1/cur" "$1/new" "$1/tmp"; }

maildir floor
measure "floor: create, write, fsync, rename" ./deliver_floor write floor "$COUNT" "$SIZE"
maildir floor
measure "floor without fsync" ./deliver_floor write floor "$COUNT" "$SIZE" nosync
rm -rf floor

maildir box
measure "qxstore -M -c (into cur/)" sh -c "'$BIN/qxstore' -M -c box <in.mbox"
printf '%-40s %8d messages\n' "  stored" "$(ls box/cur | wc -l)"

maildir moved
measure "qxmove ./box moved (renames)" "$BIN/qxmove" ./box moved
maildir floor
measure "floor: rename" ./deliver_floor rename moved floor
maildir copied
measure "qxmove -k ./floor copied (copies)" "$BIN/qxmove" -k ./floor copied
printf '%-40s %8d messages\n' "  copied" "$(ls copied/cur | wc -l)"
