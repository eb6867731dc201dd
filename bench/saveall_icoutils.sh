#!/bin/sh
# icoutils beside the save-all benchmark: wrestool extracts every icon group
# (resource type 14) of the same library into icon files, natively, several
# rounds; prints the time per icon group, and the ratio to our save all
# when its figure is given.
# Usage: saveall_icoutils.sh LIBRARY [OUR_US_PER_ICON] [ROUNDS]
set -eu
lib=$1
ours=${2:-}
rounds=${3:-7}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
groups=$(wrestool -l -t14 "$lib" | wc -l)
[ "$groups" -gt 0 ] || { echo "bench: no icon groups in $lib" >&2; exit 1; }
times=""
i=0
while [ "$i" -lt "$rounds" ]; do
  rm -f "$out"/*
  start=$(date +%s%N)
  wrestool -x -t14 -o "$out" "$lib"
  end=$(date +%s%N)
  times="$times $(( (end - start) / 1000 ))"
  i=$((i + 1))
done
files=$(ls "$out" | wc -l)
median=$(echo $times | tr ' ' '\n' | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}')
per=$(awk -v t="$median" -v n="$groups" 'BEGIN {printf "%.1f", t / n}')
echo "icoutils wrestool -x -t14, $lib: $groups icon groups, $files files, $rounds rounds (one process each)"
echo "  per icon group (median):       $per us"
if [ -n "$ours" ]; then
  awk -v a="$ours" -v b="$per" 'BEGIN {printf "  ratio save all / wrestool:     %8.2f\n", a / b}'
fi
