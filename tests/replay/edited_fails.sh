#!/bin/sh
# A replay whose expectation was changed by hand must fail and name what
# differs: one mark's checksum and one byte of the profile are altered in a
# copy of classic_solved.expected.
#   edited_fails.sh REPLAY_RUNNER REPLAYS_DIR
set -u
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
cp "$2/classic_solved.input" "$dir/"
sed -e 's/^\(mark [0-9]* level1 \).*/\10123456789abcdef/' \
    -e 's/^\(  0000 \) ../\1 ff/' "$2/classic_solved.expected" > "$dir/classic_solved.expected"
out=$("$1" "$dir/classic_solved")
status=$?
printf '%s\n' "$out"
[ "$status" = 1 ] || { echo "status $status, not 1"; exit 1; }
for said in 'mark [0-9]* level1: expected 0123456789abcdef' 'file Zembrolfink.sav: differs' '2 difference'; do
    printf '%s\n' "$out" | grep -q "$said" || { echo "no '$said'"; exit 1; }
done
