#!/usr/bin/env bash
set -euo pipefail

# Rotates the logs older than $DAYS days, keeping at most $KEEP archives.
DAYS=${DAYS:-7}
KEEP=${KEEP:-30}
dir=${1:?usage: rotate.sh DIR}

find "$dir" -maxdepth 1 -name '*.log' -mtime +"$DAYS" -print0 |
  while IFS= read -r -d '' f; do
    gzip -9 -- "$f" && echo "archived ${f##*/}"
  done

mapfile -t archives < <(ls -1t "$dir"/*.log.gz 2>/dev/null || true)
if (( ${#archives[@]} > KEEP )); then
  printf '%s\0' "${archives[@]:KEEP}" | xargs -0 rm -f --
fi
awk -F'\t' '$3 >= 500 { n++ } END { printf "errors: %d\n", n+0 }' "$dir/access.tsv"
