#!/bin/sh
# Reads the icon files that the win_icons test wrote with icoutils, an
# independent reader: each must list one 4-bit image of its size and
# extract to a picture.
set -eu
dir=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 24 32; do
  f="$dir/grid$size.ico"
  listing=$(icotool -l "$f")
  echo "$listing"
  [ "$(echo "$listing" | wc -l)" -eq 1 ]
  echo "$listing" | grep -q -- "--width=$size --height=$size"
  icotool -x -o "$tmp" "$f"
  [ -s "$tmp/grid${size}_1_${size}x${size}x4.png" ] || { ls "$tmp"; exit 1; }
done
icotool -l "$dir/colourful32.ico" | grep -q -- "--width=32 --height=32"
