#!/bin/sh
# Checks the manual pages as a reader meets them: no lint messages, a date
# and the one volume title on every page, page links that resolve, and
# rendered lines that fit 80 columns. Exits 77 when no formatter is found.
set -u
cd "$(dirname "$0")"
status=0
fail() {
  printf '%s\n' "$*" >&2
  status=1
}

if command -v mandoc >/dev/null 2>&1; then
  lint() { mandoc -Tlint "$1" 2>&1; }
  render() { mandoc -Tascii "$1"; }
elif command -v groff >/dev/null 2>&1; then
  lint() { groff -ww -z -t -man "$1" 2>&1; }
  render() { groff -t -man -Tascii -P-cbou "$1" 2>/dev/null; }
else
  echo "lint.sh: neither mandoc nor groff is installed" >&2
  exit 77
fi

for page in *.[1-8]; do
  if [ -L "$page" ]; then
    # A page for a second name is a link to the page that describes it.
    [ -f "$page" ] || fail "$page: links to a missing page"
    if command -v man >/dev/null 2>&1; then
      messages=$(man -l "$page" 2>&1 >/dev/null)
      [ -z "$messages" ] || fail "$page: $messages"
    fi
    continue
  fi
  messages=$(lint "$page")
  [ -z "$messages" ] || fail "$messages"
  # .TH title section date source volume; the last two are quoted alike.
  th=$(sed -n 's/^\.TH //p' "$page")
  date=$(printf '%s\n' "$th" | awk '{print $3}')
  case $date in
  [0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]) ;;
  *) fail "$page: .TH has no date: $th" ;;
  esac
  volume=$(printf '%s\n' "$th" | cut -d' ' -f4-)
  [ "$volume" = 'quobix "quobix manual"' ] || fail "$page: .TH source and volume are not 'quobix \"quobix manual\"': $th"
  render "$page" | col -bx | awk -v page="$page" \
    'length > 80 { printf "%s: rendered line of %d columns: %s\n", page, length, $0; bad = 1 }
     END { exit bad }' >&2 || status=1
  if command -v man >/dev/null 2>&1; then
    MANWIDTH=80 man -l "$page" 2>&1 | col -bx | awk -v page="$page" \
      'length > 80 { printf "%s: man shows a line of %d columns: %s\n", page, length, $0; bad = 1 }
       END { exit bad }' >&2 || status=1
  fi
done
exit $status
