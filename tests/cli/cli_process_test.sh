#!/usr/bin/env bash
# The real morvane-cli program, run as a script would run it: a split/join
# round trip driven only through the command line, its outputs and exit
# codes, and (natively) Ctrl-C at a question.
#   cli_process_test.sh PROGRAM            the native program
#   cli_process_test.sh --wine PROGRAM.exe the Windows program under Wine
set -uo pipefail
wine=""
if [ "$1" = "--wine" ]; then wine="wine"; shift; fi
program="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

check() { # check DESCRIPTION CONDITION...
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
# A path as the program sees it.
p() { if [ -n "$wine" ]; then winepath -w "$1"; else echo "$1"; fi; }
cli() { $wine "$program" "$@"; }

mkdir -p "$work/parts" "$work/joined"
head -c 1000003 /dev/urandom > "$work/movie.avi"

cli split "$(p "$work/movie.avi")" -o "$(p "$work/parts")" -n 3 >"$work/out" 2>"$work/err"
check "split exits 0" test $? -eq 0
check "split says it succeeded" grep -qx $'File splitting operation successful!\r\\?' "$work/out"
check "nothing on stderr when it is not a terminal" test ! -s "$work/err"
check "three segments, padded to one digit" test -f "$work/parts/movie.avi.1_of_3" -a -f "$work/parts/movie.avi.3_of_3"
check "sizes 333,335 / 333,334 / 333,334" test "$(stat -c %s "$work/parts/movie.avi.1_of_3")" = 333335

cli info "$(p "$work/parts/movie.avi.2_of_3")" >"$work/out" 2>"$work/err"
check "info exits 0 for a complete set" test $? -eq 0
check "info says a join would start" grep -q "join: would start" "$work/out"

cli join "$(p "$work/parts/movie.avi.3_of_3")" -o "$(p "$work/joined")" >"$work/out" 2>"$work/err"
check "join exits 0" test $? -eq 0
check "the joined file is the source, byte for byte" cmp -s "$work/movie.avi" "$work/joined/movie.avi"

cli sums "$(p "$work/parts/movie.avi.1_of_3")" >"$work/sums" 2>"$work/err"
check "sums exits 0" test $? -eq 0
expected="$(sha256sum < "$work/movie.avi" | cut -d' ' -f1)"
check "the joined stream's sum is the source's" grep -q "^$expected  movie.avi" "$work/sums"
check "each member's sum is sha256sum's" \
  test "$(head -1 "$work/sums" | cut -d' ' -f1)" = "$(sha256sum < "$work/parts/movie.avi.1_of_3" | cut -d' ' -f1)"
if [ -z "$wine" ]; then
  check "sha256sum -c accepts the members' lines" bash -c "cd '$work/parts' && head -3 '$work/sums' | sha256sum -c --quiet -"
fi
cli verify "$(p "$work/parts/movie.avi.1_of_3")" --sha256 "$expected" >"$work/out" 2>&1
check "verify exits 0 on a match" test $? -eq 0

cli join "$(p "$work/parts/movie.avi.1_of_3")" -o "$(p "$work/joined")" --no-clobber >"$work/out" 2>"$work/err"
check "--no-clobber stops with exit 1" test $? -eq 1
check "the error is one line" test "$(wc -l < "$work/err")" -eq 1
cli frobnicate >"$work/out" 2>"$work/err"
check "an unknown command exits 2" test $? -eq 2
cli split "$(p "$work/missing")" -n 2 >"$work/out" 2>"$work/err"
check "a missing source exits 1" test $? -eq 1
check "with the window's text" grep -q "morvane-cli: The specified input file does not exist." "$work/err"
cli --version >"$work/out"
check "--version exits 0" test $? -eq 0

# Any file name: accented Latin, Greek, CJK and emoji, spaces, several dots.
name="Ωμέγα café 日本 🎬.v2.final.mkv"
mkdir -p "$work/utf8/parts" "$work/utf8/joined"
head -c 300007 /dev/urandom > "$work/utf8/$name"
cli split "$(p "$work/utf8/$name")" -o "$(p "$work/utf8/parts")" -n 12 >"$work/out" 2>"$work/err"
check "a UTF-8 name splits" test $? -eq 0
check "its segments carry the whole name on disk" test -f "$work/utf8/parts/$name.01_of_12" -a -f "$work/utf8/parts/$name.12_of_12"
check "and nothing else" test "$(ls "$work/utf8/parts" | wc -l)" -eq 12
cli info "$(p "$work/utf8/parts/$name.07_of_12")" >"$work/out" 2>"$work/err"
check "info prints the name intact" grep -qF "set of $name, 12 files" "$work/out"
cli join "$(p "$work/utf8/parts/$name.07_of_12")" -o "$(p "$work/utf8/joined")" >"$work/out" 2>"$work/err"
check "and joins back under the same name" cmp -s "$work/utf8/$name" "$work/utf8/joined/$name"
cli join "$(p "$work/utf8/parts/$name.07_of_12")" -o "$(p "$work/utf8/joined")" --no-clobber >"$work/out" 2>"$work/err"
check "an error quoting it shows it intact" grep -qF "$name; stopped" "$work/err"

if [ -z "$wine" ]; then
  # Ctrl-C while the overwrite question waits: stop, exit 130, nothing replaced.
  echo old > "$work/parts/movie.avi.2_of_3"
  mkfifo "$work/answers"
  exec 3<>"$work/answers"
  "$program" split "$work/movie.avi" -o "$work/parts" -n 3 <"$work/answers" >"$work/out" 2>"$work/err" &
  pid=$!
  for _ in $(seq 1 200); do grep -q "Overwrite?" "$work/err" && break; sleep 0.05; done
  kill -INT "$pid"
  wait "$pid"
  code=$?
  exec 3>&-
  check "Ctrl-C at the question exits 130" test "$code" -eq 130
  check "the existing file is untouched" test "$(cat "$work/parts/movie.avi.2_of_3")" = old
  check "it says what stays" grep -q "interrupted; what was written stays on disk" "$work/err"
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
