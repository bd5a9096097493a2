#!/usr/bin/env bash
# Big files and big sets with the real morvane-cli: a file over 4 GiB (sparse
# where the file system allows) cut at segment boundaries just below 2^31 and
# 2^32 and joined back exactly, and a set of 10,000 segments joined.
#   scale_test.sh PROGRAM                  native
#   scale_test.sh --wine PROGRAM.exe       the Windows program under Wine
# Works in the current directory's file system (needs ~9 GiB free; else the
# big-file case is skipped with a message).
set -uo pipefail
wine=""
if [ "$1" = "--wine" ]; then wine="wine"; shift; fi
program="$(readlink -f "$1")"
work="$(mktemp -d -p "$PWD")"
trap 'rm -rf "$work"' EXIT
failures=0
check() {
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
p() { if [ -n "$wine" ]; then winepath -w "$1"; else echo "$1"; fi; }
cli() { $wine "$program" "$@" >"$work/out" 2>"$work/err"; }
size() { stat -c %s "$1"; }

# A set of 10,000 segments: 100,000 bytes in pieces of 10.
head -c 100000 /dev/urandom > "$work/many.bin"
mkdir -p "$work/many" "$work/many-joined"
start=$(date +%s.%N)
cli split "$(p "$work/many.bin")" -o "$(p "$work/many")" -s 10B
check "a split into 10,000 segments exits 0" test $? -eq 0
check "named 00001 to 10000" test -f "$work/many/many.bin.00001_of_10000" -a -f "$work/many/many.bin.10000_of_10000"
check "10,000 of them" test "$(ls "$work/many" | wc -l)" -eq 10000
cli join "$(p "$work/many/many.bin.05000_of_10000")" -o "$(p "$work/many-joined")"
check "joining 10,000 segments exits 0" test $? -eq 0
check "gives the file back" cmp -s "$work/many.bin" "$work/many-joined/many.bin"
printf 'time for the 10,000-segment split and join: %.1f s\n' "$(echo "$(date +%s.%N) - $start" | bc)"
rm -rf "$work/many" "$work/many-joined"

free_kib=$(df -Pk "$work" | awk 'NR==2 {print $4}')
if [ "$free_kib" -lt $((9 * 1024 * 1024)) ]; then
  echo "skipped: the file over 4 GiB needs 9 GiB free here, and there are $((free_kib / 1024)) MiB"
else
  # 4 GiB + 4 KiB, sparse, with marks across the boundaries that matter.
  big="$work/big.img"
  truncate -s $((4 * 1024 * 1024 * 1024 + 4096)) "$big"
  mark() { printf '%s' "$2" | dd of="$big" bs=1 seek="$1" conv=notrunc status=none; }
  mark $(( (1 << 31) - 5 )) "ABCDEFGH"          # segment 1 ends before offset 2^31 - 1
  mark $(( (1 << 32) - 8 )) "IJKLMNOPQRST"      # segment 2 ends before 2^32 - 2; 2^32 is at "Q"
  mark $(( (1 << 32) + 4090 )) "UVWXYZ"         # the last bytes
  mkdir -p "$work/big" "$work/big-joined"
  start=$(date +%s.%N)
  cli split "$(p "$big")" -o "$(p "$work/big")" -s 2147483647B
  check "a split of a file over 4 GiB exits 0" test $? -eq 0
  check "segment 1 holds 2^31 - 1 bytes" test "$(size "$work/big/big.img.1_of_3")" -eq 2147483647
  check "segment 2 as well" test "$(size "$work/big/big.img.2_of_3")" -eq 2147483647
  check "segment 3 the 4,098 left" test "$(size "$work/big/big.img.3_of_3")" -eq 4098
  check "the marks cross the boundaries intact" test \
    "$(tail -c 4 "$work/big/big.img.1_of_3")$(head -c 4 "$work/big/big.img.2_of_3")" = "ABCDEFGH"
  check "and the second boundary" test \
    "$(tail -c 6 "$work/big/big.img.2_of_3")$(head -c 6 "$work/big/big.img.3_of_3")" = "IJKLMNOPQRST"
  cli join "$(p "$work/big/big.img.3_of_3")" -o "$(p "$work/big-joined")"
  check "joining it back exits 0" test $? -eq 0
  check "the joined file is the source, byte for byte" cmp -s "$big" "$work/big-joined/big.img"
  printf 'time for the 4 GiB split and join (with the comparison): %.1f s\n' "$(echo "$(date +%s.%N) - $start" | bc)"
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
