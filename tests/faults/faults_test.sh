#!/usr/bin/env bash
# Faults while splitting and joining, with the real morvane-cli: a disk that
# fills up, an output directory that vanishes, a member removed or locked
# after discovery, an unreadable source, a read-only output directory. Each
# case checks the exact message, the exit code and exactly what is on disk
# (nothing deleted, the source untouched).
#   faults_test.sh PROGRAM                         native (run as root: mounts a tmpfs)
#   faults_test.sh --wine PROGRAM.exe HOLD.exe     the Windows program under Wine
set -uo pipefail
wine=""; hold=""
if [ "$1" = "--wine" ]; then wine="wine"; shift; fi
program="$(readlink -f "$1")"
[ -n "$wine" ] && hold="$(readlink -f "$2")"
work="$(mktemp -d -p "${TMPDIR:-/tmp}")"
chmod 755 "$work"
mounts=()
cleanup() {
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  [ -n "$wine" ] && rm -f "$WINEPREFIX/dosdevices/t:"
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
p() { if [ -n "$wine" ]; then winepath -w "$1"; else echo "$1"; fi; }
size() { stat -c %s "$1"; }
# The one error line the program printed, without a Windows line end.
error_line() { tr -d '\r' < "$work/err" | grep "^morvane-cli: " | head -1; }

# Starts the program in the background with a FIFO as standard input, so the
# test can act while the program waits at a question, then answer it.
start_asking() {
  rm -f "$work/answers" "$work/out" "$work/err"
  mkfifo "$work/answers"
  exec 3<>"$work/answers"
  $wine "$program" "$@" <"$work/answers" >"$work/out" 2>"$work/err" &
  pid=$!
  for _ in $(seq 1 400); do grep -q "\[y" "$work/err" 2>/dev/null && return 0; sleep 0.05; done
  echo "no question came"; return 1
}
answer() { echo "$1" >&3; wait "$pid"; code=$?; exec 3>&-; }

head -c 3145728 /dev/urandom > "$work/source.bin"     # 3 MiB
cp "$work/source.bin" "$work/source.copy"
source_untouched() { cmp -s "$work/source.bin" "$work/source.copy"; }

# A 1.5 MiB file system, seen by the Windows program as drive T:.
small="$work/small"
mkdir -p "$small"
if mount -t tmpfs -o size=1536k tmpfs "$small"; then
  mounts+=("$small")
  if [ -n "$wine" ]; then ln -sfn "$small" "$WINEPREFIX/dosdevices/t:"; target="T:\\"; else target="$small"; fi

  # The disk fills during a split: segment 1 fits, segment 2 cannot be filled.
  $wine "$program" split "$(p "$work/source.bin")" -o "$target" -n 3 >"$work/out" 2>"$work/err"
  check "split onto a full disk exits 1" test $? -eq 1
  check "with \"BETA: Write failure.\"" test "$(error_line)" = "morvane-cli: BETA: Write failure."
  check "segment 1 is complete" cmp -s <(head -c 1048576 "$work/source.bin") "$small/source.bin.1_of_3"
  check "segment 2 stays, reserved at its size less one" test "$(size "$small/source.bin.2_of_3")" -eq 1048575
  check "segment 3 was never written" test ! -e "$small/source.bin.3_of_3"
  check "the source is untouched" source_untouched
  rm -f "$small"/*

  # The disk fills during a join: room at the check (1 MiB into 1.5), filled
  # while the program waits at its overwrite question.
  mkdir -p "$work/set" "$work/small-set"
  $wine "$program" split "$(p "$work/source.bin")" -o "$(p "$work/set")" -n 2 >/dev/null 2>&1
  head -c 1048576 "$work/source.bin" > "$work/small-set/part.bin"
  $wine "$program" split "$(p "$work/small-set/part.bin")" -n 2 >/dev/null 2>&1
  head -c 100 /dev/zero > "$small/part.bin"
  if start_asking join "$(p "$work/small-set/part.bin.1_of_2")" -o "$target"; then
    head -c 1400000 /dev/zero > "$small/filler" 2>/dev/null
    answer y
    check "a join onto a disk that filled exits 1" test "$code" -eq 1
    check "with \"Write failure.\"" test "$(error_line)" = "morvane-cli: Write failure."
    check "the output stays at its reserved length" test "$(size "$small/part.bin")" -eq 1048575
    check "both members are untouched" test "$(size "$work/small-set/part.bin.1_of_2")" -eq 524288
  fi
  rm -f "$small"/*
  $wine "$program" join "$(p "$work/set/source.bin.2_of_2")" -o "$target" >"$work/out" 2>"$work/err"
  check "a join that cannot fit is refused before writing" \
    test "$(error_line)" = "morvane-cli: Insufficient disk space for joined output file."
  check "and nothing was written" test ! -e "$small/source.bin"
else
  echo "skipped: the disk-full cases need root to mount a tmpfs"
fi

# The output directory vanishes between the program's check and the worker's:
# while the program asks whether to split a file that looks like a segment.
cp "$work/source.bin" "$work/look.1_of_2"
mkdir -p "$work/gone"
if start_asking split "$(p "$work/look.1_of_2")" -o "$(p "$work/gone")" -n 2; then
  rmdir "$work/gone"
  answer y
  check "a vanished output directory exits 1" test "$code" -eq 1
  check "with \"Please enter a valid output directory.\"" \
    test "$(error_line)" = "morvane-cli: Please enter a valid output directory."
  check "nothing was written, not even beside it" test -z "$(ls "$work" | grep -F 'look.1_of_2.')"
fi
# ... and while a join waits at its overwrite question.
mkdir -p "$work/gone"
echo old > "$work/gone/source.bin"
if start_asking join "$(p "$work/set/source.bin.1_of_2")" -o "$(p "$work/gone")"; then
  rm -rf "$work/gone"
  answer y
  check "a join into a vanished directory exits 1" test "$code" -eq 1
  check "with \"Failed to create output file.\"" test "$(error_line)" = "morvane-cli: Failed to create output file."
  check "nothing was written beside it" test ! -e "$work/source.bin.1_of_2"
fi

# A member removed after discovery, before the copy.
mkdir -p "$work/joined"
echo old > "$work/joined/source.bin"
cp "$work/set/source.bin.2_of_2" "$work/member2.keep"
if start_asking join "$(p "$work/set/source.bin.1_of_2")" -o "$(p "$work/joined")"; then
  rm "$work/set/source.bin.2_of_2"
  answer y
  check "a member gone after discovery exits 1" test "$code" -eq 1
  check "with the open message" test "$(error_line)" = \
    "morvane-cli: Failed to open input file. If the file exists, make sure it is not open in another application."
  check "the output stays reserved, member 1 in place" \
    cmp -s <(head -c 1572864 "$work/source.bin") <(head -c 1572864 "$work/joined/source.bin")
  check "at the reserved length" test "$(size "$work/joined/source.bin")" -eq 3145727
  check "member 1 is untouched" test "$(size "$work/set/source.bin.1_of_2")" -eq 1572864
fi
mv "$work/member2.keep" "$work/set/source.bin.2_of_2"

if [ -n "$wine" ]; then
  # Another program holds a member (taken after discovery) or the source.
  exec 4< <(sleep 30)   # keeps the holder's standard input open
  echo old > "$work/joined/source.bin"
  if start_asking join "$(p "$work/set/source.bin.1_of_2")" -o "$(p "$work/joined")"; then
    coproc HOLDER { wine "$hold" "$(p "$work/set/source.bin.2_of_2")"; }
    read -r -t 20 line <&"${HOLDER[0]}"
    answer y
    echo >&"${HOLDER[1]}"
    check "a member locked after discovery exits 1" test "$code" -eq 1
    check "with the open message" test "$(error_line)" = \
      "morvane-cli: Failed to open input file. If the file exists, make sure it is not open in another application."
    wait "$HOLDER_PID" 2>/dev/null
  fi
  coproc HOLDER { wine "$hold" "$(p "$work/source.bin")"; }
  read -r -t 20 line <&"${HOLDER[0]}"
  $wine "$program" split "$(p "$work/source.bin")" -o "$(p "$work/joined")" -n 2 >"$work/out" 2>"$work/err"
  check "a source held by another program exits 1" test $? -eq 1
  check "with the open message" test "$(error_line)" = \
    "morvane-cli: Failed to open input file.  If the file exists, make sure it is not open in another application."
  echo >&"${HOLDER[1]}"
  wait "$HOLDER_PID" 2>/dev/null
  echo "not provoked under Wine: unreadable files and read-only directories (Wine runs as root here, and root reads and writes anything)"
elif [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  # Permissions bind only an ordinary user: these run as "nobody".
  as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
  mkdir -p "$work/locked" "$work/readonly"
  cp "$work/source.bin" "$work/locked/secret.bin"
  chmod 000 "$work/locked/secret.bin"
  chmod 777 "$work/locked"
  as_nobody "$program" split "$work/locked/secret.bin" -o "$work/locked" -n 2 >"$work/out" 2>"$work/err"
  check "an unreadable source exits 1" test $? -eq 1
  check "with the open message" test "$(error_line)" = \
    "morvane-cli: Failed to open input file.  If the file exists, make sure it is not open in another application."
  chmod 555 "$work/readonly"
  chmod 644 "$work/source.bin"
  as_nobody "$program" split "$work/source.bin" -o "$work/readonly" -n 2 >"$work/out" 2>"$work/err"
  check "a read-only output directory stops the split" test $? -eq 1
  check "with \"Failed to create output file: <path>.\"" \
    test "$(error_line)" = "morvane-cli: Failed to create output file: $work/readonly/source.bin.1_of_2."
  chmod 755 "$work/set"
  as_nobody "$program" join "$work/set/source.bin.1_of_2" -o "$work/readonly" >"$work/out" 2>"$work/err"
  check "a read-only output directory stops the join" test $? -eq 1
  check "with \"Failed to create output file.\"" test "$(error_line)" = "morvane-cli: Failed to create output file."
  check "nothing was written there" test -z "$(ls "$work/readonly")"
  check "the source is untouched" source_untouched
else
  echo "skipped: the permission cases need root (to run as nobody) and setpriv"
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
