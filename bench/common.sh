# Shared by the benchmark scripts: where the programs are, a scratch
# directory, and a timer that reports wall time and peak memory.
BIN=${BIN:-$(cd "$(dirname "$0")/.." && pwd)/build/bin}
SCRATCH=${SCRATCH:-$(mktemp -d "${TMPDIR:-/tmp}/quobix-bench-XXXXXX")}
trap 'rm -rf "$SCRATCH"' EXIT

# measure LABEL COMMAND...: runs the command, prints seconds and peak RSS.
measure() {
  label=$1
  shift
  /usr/bin/time -f "%e %M" -o "$SCRATCH/time" "$@" >/dev/null
  read -r seconds kilobytes <"$SCRATCH/time"
  printf '%-40s %8.2f s %10d KiB peak\n' "$label" "$seconds" "$kilobytes"
}
