#!/bin/bash
# Speed of a benchmark at a base commit against the current tree, measured
# in one run so that a busy machine slows both sides alike.
#
#   bench/compare.sh [-n RUNS] [-f REGEX] [-l] [-B] BASE_REV TARGET [ARGS...]
#
# Builds the tree as it stood at BASE_REV (git archive) into
# build-base/SHA/ and the current working tree into build/, both Release,
# only TARGET and what it needs; then runs TARGET ARGS... RUNS times on each
# side (default 5), alternating base and current. TARGET is the benchmark's
# path inside a build folder, e.g. bench/cpu/bench_cpu.
#
# The figure of one run is the first capture group of the Perl regular
# expression REGEX on the first output line it matches, higher meaning
# faster (-f '([0-9.]+) MIPS'); -l says lower is faster (a time). Without
# -f the figure is the run's CPU time in seconds, user plus system, lower
# being faster. The report gives each side's min/median/max and the ratio
# of the medians: how many times as fast the current tree is.
#
# -B builds the current tree's bench/ folder on both sides, so that both
# are measured by the same benchmark code.
#
# Examples:
#   bench/compare.sh -f '([0-9.]+) MIPS' main bench/cpu/bench_cpu 20000
#   bench/compare.sh -B -f 'intro replay: ([0-9.]+) MIPS' main bench/sc68/sc68_bench
#   bench/compare.sh -f '^ ?4 channels:.* = ([0-9.]+)x' main bench/xm/xm_bench 300
set -e

usage() {  # the comment above
  awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0" >&2
  exit 2
}

runs=5
regex=
lower=0
same_bench=0
while getopts "n:f:lB" opt; do
  case $opt in
    n) runs=$OPTARG ;;
    f) regex=$OPTARG ;;
    l) lower=1 ;;
    B) same_bench=1 ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 2 ] && [ "$runs" -ge 1 ] 2>/dev/null || usage
[ -z "$regex" ] && lower=1
base_rev=$1
target=$2
shift 2
name=$(basename "$target")
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

sha=$(git -C "$root" rev-parse --verify --quiet "$base_rev^{commit}") || {
  echo "compare.sh: $base_rev is not a commit" >&2
  exit 2
}
base_dir=$root/build-base/$sha
[ "$same_bench" = 1 ] && base_dir=$base_dir-bench

# The base source is unpacked once per commit; with -B its bench/ follows
# the current tree's on every run.
if [ ! -f "$base_dir/src/CMakeLists.txt" ]; then
  rm -rf "$base_dir/src"
  mkdir -p "$base_dir/src"
  git -C "$root" archive "$sha" | tar -x -C "$base_dir/src"
fi
if [ "$same_bench" = 1 ]; then
  rm -rf "$base_dir/src/bench"
  cp -R "$root/bench" "$base_dir/src/bench"
fi

build() {  # source folder, build folder
  echo "== building $name from $1" >&2
  local log=$tmp/build.log
  { cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release && cmake --build "$2" -j "$jobs" --target "$name"; } > "$log" 2>&1 || {
    tail -40 "$log" >&2
    exit 1
  }
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
build "$base_dir/src" "$base_dir/build"
build "$root" "$root/build"

# One run of one side: prints its figure.
measure() {  # binary, arguments...
  local out=$tmp/out times=$tmp/times
  TIMEFORMAT='%3U %3S'
  { time "$@" > "$out" 2>&1; } 2> "$times" || {
    echo "compare.sh: $* failed:" >&2
    cat "$out" >&2
    exit 1
  }
  if [ -n "$regex" ]; then
    local v
    v=$(REGEX=$regex perl -ne 'if (/$ENV{REGEX}/) { print "$1\n"; exit }' "$out")
    if [ -z "$v" ]; then
      echo "compare.sh: no line of $1's output matches $regex:" >&2
      cat "$out" >&2
      exit 1
    fi
    echo "$v"
  else
    awk '{ print $1 + $2 }' "$times"
  fi
}

: > "$tmp/base"
: > "$tmp/current"
for i in $(seq "$runs"); do
  b=$(measure "$base_dir/build/$target" "$@")
  c=$(measure "$root/build/$target" "$@")
  echo "run $i: base $b, current $c" >&2
  echo "$b" >> "$tmp/base"
  echo "$c" >> "$tmp/current"
done

# min median max of a file of numbers
stats() { sort -g "$1" | awk '{ v[NR] = $1 } END {
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%g %g %g\n", v[1], m, v[NR] }'; }
read -r bmin bmed bmax < <(stats "$tmp/base")
read -r cmin cmed cmax < <(stats "$tmp/current")
unit=${regex:+figure}
unit=${unit:-CPU seconds}
echo "$name${*:+ $*}: $runs runs each, alternating; $unit (min / median / max)"
echo "  base    $(git -C "$root" rev-parse --short "$sha"): $bmin / $bmed / $bmax"
echo "  current $(git -C "$root" rev-parse --short HEAD)$(git -C "$root" diff --quiet HEAD -- . 2>/dev/null || echo '+changes'): $cmin / $cmed / $cmax"
awk -v b="$bmed" -v c="$cmed" -v lower="$lower" 'BEGIN {
  r = lower ? b / c : c / b
  printf "  ratio of medians: %.2fx as fast\n", r }'
