#!/bin/sh
# Reads icon files that a test wrote with icoutils, an independent reader:
# each must hold one 4-bit image of the size named with it, and extract to
# a picture.
# Usage: check_icons.sh FOLDER NAME:SIZE...
set -eu
dir=$1
shift
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for spec in "$@"; do
  name=${spec%:*}
  size=${spec##*:}
  listing=$(icotool -l "$dir/$name")
  echo "$name: $listing"
  [ "$(echo "$listing" | wc -l)" -eq 1 ]
  echo "$listing" | grep -q -- "--width=$size --height=$size --bit-depth=4"
  rm -f "$tmp"/*
  icotool -x -o "$tmp" "$dir/$name"
  [ -s "$tmp/$(basename "$name" .ico)_1_${size}x${size}x4.png" ] || { ls "$tmp"; exit 1; }
done
