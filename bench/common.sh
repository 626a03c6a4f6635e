# Shared by the benchmark scripts: where the programs are, a scratch
# directory, and a timer that reports wall time and peak memory.
BIN=${BIN:-$(cd "$(dirname "$0")/.." && pwd)/build/bin}
SCRATCH=${SCRATCH:-$(mktemp -d "${TMPDIR:-/tmp}/quobix-bench-XXXXXX")}
trap 'rm -rf "$SCRATCH"' EXIT

# Without /usr/bin/time, a tiny getrusage wrapper does the timing.
if [ -x /usr/bin/time ]; then
  timer() { out=$1; shift; /usr/bin/time -f "%e %M" -o "$out" "$@"; }
else
  ${CXX:-c++} -O2 -o "$SCRATCH/rusage" "$(dirname "$0")/rusage.cc"
  timer() { "$SCRATCH/rusage" "$@"; }
fi

# measure LABEL COMMAND...: runs the command, prints seconds and peak RSS.
measure() {
  label=$1
  shift
  timer "$SCRATCH/time" "$@" >/dev/null
  read -r seconds kilobytes <"$SCRATCH/time"
  printf '%-40s %8.2f s %10d KiB peak\n' "$label" "$seconds" "$kilobytes"
}
