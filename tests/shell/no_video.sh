#!/bin/sh
# Starts the program with no usable video driver: it must say it is loading,
# give SDL's reason on the next line and end with status 1 before any frame.
# Usage: no_video.sh PROGRAM
out=$(SDL_VIDEODRIVER=nonexistent_driver "$1")
status=$?
first=$(printf '%s\n' "$out" | sed -n 1p)
second=$(printf '%s\n' "$out" | sed -n 2p)
lines=$(printf '%s\n' "$out" | wc -l)
fail=0
[ "$status" -eq 1 ] || { echo "exit status $status, expected 1"; fail=1; }
[ "$first" = "Loading..." ] || { echo "first line '$first', expected 'Loading...'"; fail=1; }
case "$second" in
"Unable to init SDL: "?*) ;;
*) echo "second line '$second', expected 'Unable to init SDL: <reason>'"; fail=1 ;;
esac
[ "$lines" -eq 2 ] || { echo "$lines lines of output, expected 2"; fail=1; }
exit $fail
