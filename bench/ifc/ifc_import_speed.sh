#!/usr/bin/env bash
# Times building-model imports through kyrel against the IFC worker alone,
# measured in the same run (best of three each), and kyrel's own peak
# memory (its VmHWM, the node worker's apart):
#   bench/ifc/ifc_import_speed.sh [SHARED_IFC_FOLDER] [COPIES]
# Cases: node starting and ending with nothing to do; the architectural
# Duplex model; a model of COPIES (default 16) copies of it with new
# GlobalIds and offsets (make_big_ifc.mjs, about 40 MB). Needs a built
# kyrel (build/default) and the sample models (default ../shared/ifc).
set -euo pipefail
cd "$(dirname "$0")/../.."
shared="${1:-${KYREL_SHARED_IFC:-../shared/ifc}}"
copies="${2:-16}"
kyrel=build/default/bin/kyrel
worker=host/app/ifc_worker/ifc_worker.mjs
[ -x "$kyrel" ] || { echo "build kyrel first (cmake --build --preset default --target kyrel)"; exit 2; }
[ -f "$shared/Duplex_A_20110907.ifc" ] || { echo "no sample models in $shared"; exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

now() { date +%s.%N; }
# Best wall time of three runs of a command, in seconds.
best() {
  local best=""
  for _ in 1 2 3; do
    local s e t
    s=$(now); "$@" >/dev/null 2>&1 3>/dev/null; e=$(now)
    t=$(echo "$e - $s" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}
# kyrel importing a file; prints its peak resident memory in MB.
kyrel_peak() {
  "$kyrel" -c "Import \"$1\"" >/dev/null 2>&1 &
  local pid=$! peak=0 kb
  while kill -0 "$pid" 2>/dev/null; do
    kb=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
    [ -n "$kb" ] && [ "$kb" -gt "$peak" ] && peak=$kb
    sleep 0.05
  done
  wait "$pid"
  echo $((peak / 1024))
}

big="$tmp/duplex_x$copies.ifc"
node bench/ifc/make_big_ifc.mjs "$shared" "$copies" "$big"

node_start=$(best node -e '')
printf '\n%-34s %9s %9s %9s %8s %11s\n' "model" "MB" "worker s" "import s" "ratio" "kyrel peak"
for model in "$shared/Duplex_A_20110907.ifc" "$big"; do
  mb=$(echo "$(stat -c %s "$model") / 1000000" | bc -l)
  w=$(best node "$worker" "$model")
  k=$(best "$kyrel" -c "Import \"$model\"")
  peak=$(kyrel_peak "$model")
  printf '%-34s %9.1f %9.2f %9.2f %7.2fx %8s MB\n' "$(basename "$model")" "$mb" "$w" "$k" \
    "$(echo "$k / $w" | bc -l)" "$peak"
done
printf '\nnode starting with nothing to do: %.2f s (in both the worker and the import)\n' "$node_start"
echo "ratio: kyrel's import, node included, over the worker alone on the same file"
