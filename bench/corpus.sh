#!/bin/sh
# Writes a maildir of COUNT messages into DIR: a mix of plain text,
# quoted-printable, base64 and multipart messages (text with an HTML
# alternative, or text with a base64 attachment), about 3 KB each. The word
# "zanzibar" stands in the decoded text of about one message in a thousand
# (hidden from byte searches by the encodings) and in the Subject of about
# one in a thousand. With "charsets" as third argument, the plain messages
# (a quarter) are in ISO-8859-1 (quoted-printable) and windows-1252 (8bit)
# instead, half each, with accented words, typographic quotes and euros.
# Usage: bench/corpus.sh DIR COUNT [charsets]
set -eu
DIR=$1
COUNT=$2
CHARSETS=${3:-}
mkdir -p "$DIR/cur" "$DIR/new" "$DIR/tmp"
POOL=$(mktemp -d "${TMPDIR:-/tmp}/quobix-corpus-XXXXXX")
trap 'rm -rf "$POOL"' EXIT
export LC_ALL=C

# A pool of 32 bodies of 40 lines each, each once with the rare word.
awk -v pool="$POOL" 'BEGIN {
  srand(42)
  n = split("the of and report meeting budget quarter review draft plan team " \
        "project status update schedule notes agenda minutes invoice order " \
        "shipment delivery customer account balance payment reminder travel " \
        "hotel flight conference talk slides paper results data server backup", w, " ")
  for (t = 0; t < 32; t++) {
    text = ""
    for (l = 0; l < 40; l++) {
      line = ""
      while (length(line) < 68) line = line w[int(rand() * n) + 1] " "
      text = text line "\n"
    }
    printf "%s", text > (pool "/text." t)
    close(pool "/text." t)
    sub(/ report /, " zanzibar report ", text)
    printf "%s", text > (pool "/rare." t)
    close(pool "/rare." t)
  }
}'
for t in $(seq 0 31); do
  base64 -w 76 "$POOL/text.$t" >"$POOL/b64.$t"
  base64 -w 76 "$POOL/rare.$t" >"$POOL/b64rare.$t"
  head -c 2400 /dev/urandom | base64 -w 76 >"$POOL/blob.$t"
done

awk -v pool="$POOL" -v dir="$DIR" -v count="$COUNT" -v charsets="$CHARSETS" '
function slurp(name,   text, line) {
  text = ""
  while ((getline line < name) > 0) text = text line "\n"
  close(name)
  return text
}
# Quoted-printable: an accented word, and long lines joined by soft breaks.
function qp(text) {
  gsub(/meeting/, "caf=C3=A9 meeting", text)
  gsub(/zanzibar/, "zanzi=\nbar", text)
  gsub(/ \n/, " =\n", text)
  return text
}
# The same text in a single-byte charset: ISO-8859-1 quoted-printable
# with an accented word, or windows-1252 with quotes and a euro sign.
function latin1(text) {
  gsub(/meeting/, "caf=E9 meeting", text)
  gsub(/ \n/, " =\n", text)
  return text
}
function cp1252(text) {
  gsub(/budget/, "\223budget\224 \200", text)
  return text
}
BEGIN {
  for (t = 0; t < 32; t++) {
    text[t] = slurp(pool "/text." t); rare[t] = slurp(pool "/rare." t)
    b64[t] = slurp(pool "/b64." t); b64rare[t] = slurp(pool "/b64rare." t)
    blob[t] = slurp(pool "/blob." t)
  }
  for (i = 1; i <= count; i++) {
    t = (i * 7) % 32
    hit = (i % 997 == 0)
    body = hit ? rare[t] : text[t]
    file = sprintf("%s/cur/%d.M%06dP4242Q%d.bench:2,S", dir, 1765000000 + i, i % 1000000, i)
    printf "Received: from relay%d.example.net (relay%d.example.net [192.0.2.%d])\n" \
           "\tby mx.example.org with ESMTPS id %08X for <me@example.org>;\n" \
           "\tWed, 10 Dec 2025 12:%02d:%02d +0000\n", i % 7, i % 7, i % 250, i, i % 60, i % 60 > file
    printf "Message-ID: <%d.%d@example.net>\nDate: Wed, 10 Dec 2025 12:%02d:%02d +0000\n" \
           "From: Sender %d <sender%d@example.net>\nTo: Me <me@example.org>\n" \
           "Subject: %s %d\n", i, i * 31, i % 60, i % 60, i % 500, i % 500,
           (i % 1009 == 0 ? "zanzibar notes" : "status report"), i > file
    kind = i % 4
    if (kind == 0 && charsets != "" && i % 8 == 0) {
      printf "MIME-Version: 1.0\nContent-Type: text/plain; charset=ISO-8859-1\n" \
             "Content-Transfer-Encoding: quoted-printable\n\n%s", latin1(body) > file
    } else if (kind == 0 && charsets != "" && i % 8 == 4) {
      printf "MIME-Version: 1.0\nContent-Type: text/plain; charset=windows-1252\n" \
             "Content-Transfer-Encoding: 8bit\n\n%s", cp1252(body) > file
    } else if (kind == 0) {
      printf "\n%s", body > file
    } else if (kind == 1) {
      printf "MIME-Version: 1.0\nContent-Type: text/plain; charset=utf-8\n" \
             "Content-Transfer-Encoding: quoted-printable\n\n%s", qp(body) > file
    } else if (kind == 2) {
      printf "MIME-Version: 1.0\nContent-Type: text/plain; charset=utf-8\n" \
             "Content-Transfer-Encoding: base64\n\n%s", (hit ? b64rare[t] : b64[t]) > file
    } else if (i % 8 == 3) {
      printf "MIME-Version: 1.0\nContent-Type: multipart/alternative; boundary=\"=_b%d\"\n\n" \
             "This is a multi-part message in MIME format.\n\n" \
             "--=_b%d\nContent-Type: text/plain; charset=utf-8\n" \
             "Content-Transfer-Encoding: quoted-printable\n\n%s\n" \
             "--=_b%d\nContent-Type: text/html; charset=utf-8\n\n<html><body><pre>%s</pre></body></html>\n" \
             "--=_b%d--\n", i, i, qp(body), i, body, i > file
    } else {
      printf "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"=_m%d\"\n\n" \
             "--=_m%d\nContent-Type: text/plain; charset=us-ascii\n\n%s\n" \
             "--=_m%d\nContent-Type: application/pdf; name=\"scan%d.pdf\"\n" \
             "Content-Transfer-Encoding: base64\n\n%s\n--=_m%d--\n", i, i, body, i, i, blob[t], i > file
    }
    close(file)
  }
}'
