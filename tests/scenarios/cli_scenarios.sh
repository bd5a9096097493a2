#!/usr/bin/env bash
# The real morvane-cli, driven as a user's script drives it, one section a run:
#   basic   a round trip with its checksum listing: files, messages, sha256sum
#           both ways, a damaged member named, Ctrl-C
#   faults  a disk that fills, a member removed, held or unreadable files,
#           a member cut short: the exact message and exactly what stays on disk
#   scale   a file over 4 GiB cut in two and joined back
#   safety  an interrupted split, a source reached through a link, a source
#           that is no file, awkward names: nothing lost, no false set
#   cow     on an XFS loop device: a join that shares extents, one on a nearly
#           full volume, the listing of a shared split
#   crash   on an XFS loop device: a power loss after a reported success and in
#           the middle of a split leaves no file under a final name with wrong bytes
# Usage: cli_scenarios.sh [--wine] PROGRAM SECTION
# Exit code 0 when every case passed, 1 when one failed, 77 (ctest's "skipped")
# when a case cannot run here, with the reason: the tmpfs mounts and "nobody"
# need root, the Windows program a Wine that runs (source scripts/wine-env).
# A program that does not end is killed after 60 s, and that is a failure.
set -uo pipefail
wine="" runner=""
if [ "$1" = --wine ]; then wine="${MORVANE_WINE:-wine}" runner="$wine"; shift; fi
program="$(readlink -f "$1")"; shift
section="$1" mounts=() failures=0 skipped="" trash=()
work="$(mktemp -d -p "${TMPDIR:-/tmp}")"; trap cleanup EXIT; chmod 755 "$work"
out="$work/out" err="$work/err"; mkfifo "$work/never"
cleanup() { for m in "${mounts[@]}"; do umount -l "$m"; done; rm -rf "$work" "${trash[@]}"; }
check() { local what="$1"; shift; if "$@"; then echo "ok: $what"; else fail "$what"; return 1; fi; }
fail() { echo "FAILED: $1"; failures=$((failures + 1)); }
skip() { echo "SKIPPED: $1"; skipped=yes; }
as_root() { [ "$(id -u)" -eq 0 ]; }
[ -z "$wine" ] || "$wine" cmd /c exit 0 >/dev/null 2>&1 ||
  { skip "Wine cannot start a Windows program here (source scripts/wine-env first)"; exit 77; }
# Absolute paths as the program sees them (under Wine, drive Z: is the root).
args() {
  local a; args=()
  for a; do [[ -n $wine && $a == /* ]] && a="Z:${a//\//\\}"; args+=("$a"); done
}
cli() { args "$@"; $runner "$program" "${args[@]}" </dev/null >"$out" 2>"$err"; code=$?; }
size() { stat -c %s "$1"; }
# verdict CODE MESSAGE CASE: the last run's exit code and, unless MESSAGE is
# empty, its first error line: MESSAGE, then perhaps the system's reason in
# brackets (kept in $reason); expect CODE MESSAGE ARGS...: runs, then that.
verdict() {
  check "$3 exits $1" test "$code" -eq "$1"
  [ -z "$2" ] || check "$3 says \"$2\"" says "$(first_error)" "morvane-cli: $2" ||
    echo "   it said: $(first_error)"
}
first_error() { tr -d '\r' <"$err" | grep -m1 '^morvane-cli: '; }
# says LINE MESSAGE: LINE is MESSAGE, then nothing or " (the reason)", kept in $reason.
says() { reason="${1#"$2"}"; [[ $1 == "$2"* && ( -z $reason || $reason =~ ^\ \(.+\)$ ) ]]; }
expect() { local c="$1" m="$2"; shift 2; cli "$@"; verdict "$c" "$m" "$(label "$@")"; }
# label ARGS...: the arguments, paths as file names.
label() { local a l=""; for a; do l+=" ${a##*/}"; done; echo "${l# }"; }
# poll PAUSE TEST...: runs TEST every PAUSE seconds, 2000 times at most, while
# the program started in the background ($pid) runs; true once TEST holds.
poll() {
  local pause="$1" n=2000; shift
  until "$@"; do kill -0 "$pid" 2>/dev/null && ((n--)) && sleep "$pause" || return; done
}
# await PID WHAT: waits for the background process PID, 60 s at most, and sets
# code to its exit code; one still running then is killed, and that is a
# failure. The watchdog waits in `read -t`, a builtin: stopping it leaves no
# process behind, and it costs the Ctrl-C timings nothing. It is stopped with
# SIGKILL: a subshell caught by SIGTERM right after the fork would still run
# this shell's exit trap, and remove the work directory.
await() {
  { read -rt 60 <>"$work/never"; kill -KILL "$1"; } &
  local timer=$!; wait "$1"; code=$?
  kill -9 "$timer" 2>/dev/null; wait "$timer" 2>/dev/null && fail "$2 did not end within 60 s"
}
# start ARGS...: the program in the background (native only), reading nothing.
start() { "$program" "$@" </dev/null >"$out" 2>"$err" & pid=$! job="$(label "$@")"; }
# Starts the program with a FIFO as its input and waits (20 s at most, or until
# it ends) for its question, so that the case can act while it waits; no
# question is a failure. The output files are emptied before the program
# starts, so that only this run's question counts.
ask() {
  rm -f "$work/answers"; mkfifo "$work/answers"; exec 3<>"$work/answers"
  args "$@"; job="$(label "$@")"; : >"$out"; : >"$err"
  $runner "$program" "${args[@]}" <"$work/answers" >>"$out" 2>>"$err" & pid=$!
  poll 0.01 grep -q "\[y" "$err" || { fail "$job asks its question"; kill "$pid"; }
}
answer() { [ $# -eq 0 ] || echo "$1" >&3; await "$pid" "$job"; exec 3>&-; }
# after ACTION CODE MESSAGE ARGS...: the function ACTION runs while the program
# asks, then the answer is yes.
after() { ask "${@:4}"; "$1"; answer y; verdict "$2" "$3" "$(label "${@:4}") after $1"; }
tmpfs() { mkdir -p "$1"; as_root && mount -t tmpfs -o size="$2" tmpfs "$1" && mounts+=("$1"); }

# A round trip under any name (Greek, accents, CJK, emoji, spaces, dots), with
# its checksum listing in sha256sum's format, checked by sha256sum -c; a join
# checks it, and one made by hand with sha256sum, and names a damaged member.
basic() {
  local name="Ωμέγα café 日本 🎬.v2.mkv" byte
  local src="$work/$name" parts="$work/parts/$name" joined="$work/joined/$name"
  local checked="File joining operation complete! All 12 segments match $name.sha256."
  local damaged="does not match $name.sha256: it is damaged or belongs to another file."
  mkdir -p "$work/parts" "$work/joined"; head -c 1000003 /dev/urandom > "$src"
  expect 0 "" split "$src" -o "$work/parts" -n 12 --sums
  check "it says so, and nothing on stderr (no terminal)" \
    test "$(tr -d '\r' <"$out")" = "File splitting operation successful!" -a ! -s "$err"
  check "12 segments, 01 to 12, the first 7 one byte longer" test -f "$parts.01_of_12" -a \
    "$(cd "$work/parts" && stat -c %s -- *_of_12 | uniq -c | xargs)" = "7 83334 5 83333"
  cp "$src" "$work/parts"
  check "sha256sum -c checks the listing, the whole file's line too" bash -c 'cd "$1" &&
    [ "$(wc -l <"$2")" -eq 13 ] && tr -d "\r" <"$2" | sha256sum -c --quiet --strict -' \
    -- "$work/parts" "$name.sha256"
  expect 0 "" join "$parts.07_of_12" -o "$work/joined"
  check "the join checks it, and gives back the source byte for byte" \
    test "$(tr -d '\r' <"$out")" = "$checked" -a -z "$(cmp "$src" "$joined")"
  expect 0 "" join "$parts.07_of_12" -O -
  check "and so are the bytes joined to standard output; the message went to stderr" \
    test -z "$(cmp "$src" "$out")" -a "$(tr -d '\r' <"$err")" = "$checked"
  # One bit of a byte flipped (writing a fixed byte leaves 1 set in 256 as it was).
  byte=$(od -An -tu1 -j50 -N1 "$parts.12_of_12"); rm "$joined"
  printf "\\$(printf %o $((byte ^ 1)))" |
    dd of="$parts.12_of_12" bs=1 seek=50 conv=notrunc status=none
  expect 1 "Segment 12 of 12 ($name.12_of_12) $damaged" join "$parts.01_of_12" -o "$work/joined"
  check "and nothing was joined under the file's name" test ! -e "$joined"
  (cd "$work/parts" && sha256sum -- *_of_12 >"$name.sha256")
  expect 0 "" join "$parts.01_of_12" -o "$work/joined"
  check "a listing made by hand with sha256sum is checked" \
    test "$(tr -d '\r' <"$out")" = "$checked"
  [ -n "$wine" ] && return
  echo old > "$parts.01_of_12"; ask split "$src" -o "$work/parts" -n 12; kill -INT "$pid"; answer
  verdict 130 "" "Ctrl-C at the overwrite question"
  local stays="interrupted; what was written stays on disk (the unfinished file as NAME.partial)"
  check "it says what stays, and the existing file does" \
    test "$(cat "$parts.01_of_12")" = old -a -n "$(grep "$stays" "$err")"
}

readonly HELD="If the file exists, make sure it is not open in another application."
readonly JOIN_OPEN="Failed to open input file. $HELD"
readonly SPLIT_OPEN="Failed to open input file.  $HELD"
readonly NO_ROOM_SPLIT="Insufficient disk space for the split files: 3,145,728 bytes needed."
readonly NO_ROOM_JOIN="Insufficient disk space for joined output file."
readonly TAKEN="Unfinished files of earlier interrupted jobs take room there:"
readonly DELETE="Delete them if you no longer need them."
readonly NOBODY="setpriv --reuid=65534 --regid=65534 --clear-groups"
# What happens while the program asks (after ACTION ...).
fill_small_disk() { head -c "$fill" /dev/zero >"$small/filler"; }
remove_member_2() { rm "$two"; }

faults() {
  local src="$work/source.bin" small="$work/small" target="$work/small"
  local one="$work/set/source.bin.1_of_2" two="$work/set/source.bin.2_of_2"
  head -c 3145728 /dev/urandom > "$src"; cp "$src" "$work/source.copy"
  mkdir -p "$work/set" "$work/small-set" "$work/joined"; cli split "$src" -o "$work/set" -n 2
  head -c 1048576 "$src" > "$work/small-set/part.bin"; cli split "$work/small-set/part.bin" -n 2
  if ! tmpfs "$small" 1536k; then skip "the full-disk cases need root, to mount a 1.5 MiB tmpfs"
  elif [ -n "$wine" ] && ! ln -sfn "$small" "$WINEPREFIX/dosdevices/t:"; then
    skip "the full-disk cases need the tmpfs as drive T: (Windows asks a drive for its free space)"
  else # a disk that fills: the tmpfs $small of 1.5 MiB, named $target (T: under Wine)
    local part="$work/small-set/part.bin" dst="$small/part.bin" left="$small/part.bin.partial"
    # Drive T: is removed by the run that made it: other sections run beside it in the prefix.
    [ -z "$wine" ] || trash+=("$WINEPREFIX/dosdevices/t:")
    [ -n "$wine" ] && target='T:\' left='T:\part.bin.partial'
    # A split larger than the free space writes nothing.
    expect 1 "$NO_ROOM_SPLIT" split "$src" -o "$target" -n 3
    check "and writes nothing" test -z "$(ls "$small")"
    # The disk fills during a split, while the program asks whether to replace
    # segment 1: segment 1 fits, segment 2 cannot be filled.
    echo old > "$dst.1_of_3"
    fill=1000000 after fill_small_disk 1 "BETA: Write failure." split "$part" -o "$target" -n 3
    check "segment 1 stays complete" cmp -s <(head -c 349526 "$part") "$dst.1_of_3"
    check "segment 2 stays under its temporary name at its size less one, 3 is never written" \
      test "$(size "$dst.2_of_3.partial")" -eq 349524 -a ! -e "$dst.2_of_3" -a ! -e "$dst.3_of_3"
    # What is left is no set.
    expect 1 "" join "$dst.1_of_3" -o "$work/joined"
    # The disk fills during a join: room at the check (1 MiB into 1.5), filled
    # while the program asks whether to replace the output.
    rm -f "$small"/*; echo old > "$dst"
    fill=1400000 after fill_small_disk 1 "Write failure." join "$part.1_of_2" -o "$target"
    check "the old output stays, the new one under its temporary name at its reserved length" \
      test "$(cat "$dst")" = old -a "$(size "$dst.partial")" -eq 1048575
    # What an earlier interrupted join left takes the room: the refusal says so.
    rm -f "$small"/*; head -c 700000 /dev/zero >"$dst.partial"
    expect 1 "$NO_ROOM_JOIN $TAKEN $left (700,000 bytes) $DELETE" join "$part.1_of_2" -o "$target"
    rm -f "$small"/*
  fi
  odd_sets
  # A member removed after discovery, before its copy.
  echo old > "$work/joined/source.bin"; cp "$two" "$work/member2"
  after remove_member_2 1 "$JOIN_OPEN" join "$one" -o "$work/joined"
  check "the old output stays; the new one keeps member 1, reserved at the total less one" \
    cmp -s <(head -c 1572864 "$src"; head -c 1572863 /dev/zero) "$work/joined/source.bin.partial"
  check "under its temporary name" test "$(cat "$work/joined/source.bin")" = old
  mv "$work/member2" "$two"
  check "the source is untouched" cmp -s "$src" "$work/source.copy"
  check "and so is the set" cmp -s "$src" <(cat "$one" "$two")
}


readonly CUT_SHORT="holds 500,000 bytes, while split file 1 holds 1,000,000 bytes.  The files\
 of one split differ by one byte at most (but the last), so this one may have been cut short or\
 may come from another file. Use --force to join them anyway."
readonly UNREADABLE="cannot be read (Permission denied).  Please make it readable, or move it\
 out of the directory, and try again."
# Sets that would join into a damaged file, each refused before anything is
# written and naming the member (every other shape: jobs_test).
odd_sets() {
  local d="$work/shapes" m2="$work/shapes/a.bin.2_of_3" member
  mkdir -p "$d/out"; chmod 777 "$d" "$d/out"
  head -c 3000000 /dev/urandom >"$d/a.bin"; cli split "$d/a.bin" -n 3 -o "$d"
  mv "$d/a.bin" "$d/a.copy"; args "$m2"; member="The split file: ${args[0]}"
  # Files that cannot be read: natively permissions bind "nobody", not root
  # (files held by another program on Windows: jobs_test).
  if [ -z "$wine" ] && as_root && command -v setpriv >/dev/null; then
    cp "$d/a.copy" "$d/secret.bin"; chmod 000 "$m2" "$d/secret.bin"
    runner="$NOBODY" expect 1 "$member $UNREADABLE" join "$d/a.bin.1_of_3" -o "$d/out"
    runner="$NOBODY" expect 1 "$SPLIT_OPEN" split "$d/secret.bin" -n 2 -o "$d/out"
    chmod 644 "$m2"
  elif [ -z "$wine" ]; then skip "the unreadable files need root (to run as nobody) and setpriv"
  fi
  truncate -s 500000 "$m2"; expect 1 "$member $CUT_SHORT" join "$d/a.bin.1_of_3" -o "$d/out"
  check "neither wrote anything" test -z "$(ls "$d/out")"
  expect 1 "" info "$d/a.bin.3_of_3"
  check "info says the join would not start" \
    grep -q "join: would not start: The split file: " "$out"
  expect 0 "" join "$d/a.bin.1_of_3" -o "$d/out" --force
  check "--force joins it as it is" \
    cmp -s <(head -c 1500000 "$d/a.copy"; tail -c 1000000 "$d/a.copy") "$d/out/a.bin"
}

mark() { printf 'mark@%-11s' "$1"; }
scale() {
  # A file of 4 GiB + 8 KiB cut at 4 GiB + 4 KiB. In memory, so that it takes
  # seconds, not minutes; sparse where it can be; never more than 4.2 GiB.
  local big="$work/big" total=$(( (1 << 32) + 8192 )) cut=$(( (1 << 32) + 4096 )) o
  local one="$work/big/parts/big.img.1_of_2" two="$work/big/parts/big.img.2_of_2"
  local joined="$work/big/joined/big.img" img="$work/big/big.img"
  tmpfs "$big" 4300m || { skip "the file over 4 GiB needs root to mount a 4.2 GiB tmpfs"; return; }
  mkdir "$big/parts" "$big/joined"; truncate -s $total "$img"
  # Marks at the start, across 2^31 and 2^32, across the cut and at the end.
  local marks=(0 $(( (1 << 31) - 8 )) $(( (1 << 32) - 8 )) $((cut - 8)) $((total - 16)))
  for o in "${marks[@]}"; do mark "$o" | dd of="$img" bs=1 seek=$o conv=notrunc status=none; done
  expect 0 "" split "$img" -o "$big/parts" -s 4194308K
  check "into 4 GiB + 4 KiB and 4 KiB" test "$(size "$one")" -eq $cut -a "$(size "$two")" -eq 4096
  # Holes again where the source has no mark: room for the join.
  fallocate -p -o 4096 -l $(( (1 << 31) - 8192 )) "$one"
  fallocate -p -o $(( (1 << 31) + 4096 )) -l $(( (1 << 31) - 8192 )) "$one"
  expect 0 "" info "$two"
  check "info counts them in full" grep -q "total: 4,294,975,488 bytes" "$out"
  expect 0 "" join "$two" -o "$big/joined"
  check "the joined file has the source's size" test "$(size "$joined")" -eq $total
  for o in "${marks[@]}"; do
    check "and its mark at $o" \
      test "$(dd if="$joined" bs=1 skip="$o" count=16 status=none)" = "$(mark "$o")"
  done
}

readonly IS_SOURCE="is the file being split.  Please choose another output directory."
readonly NOT_REGULAR="is not a regular file (a pipe, a device, or a file whose size cannot be\
 read).  Please choose a file to split."
safety() {
  local src="$work/link.bin"
  head -c 9000 /dev/urandom > "$src"; cp "$src" "$work/link.copy"
  # The source reached again through a segment's name: refused before anything is written.
  ln -s "$src" "$src.2_of_3"
  expect 1 "The output file: $work/link.bin.2_of_3 $IS_SOURCE" split "$src" -n 3 --yes
  rm "$src.2_of_3"; ln "$src" "$src.3_of_3"
  expect 1 "The output file: $work/link.bin.3_of_3 $IS_SOURCE" split "$src" -n 3 --yes
  check "the source is whole, and no segment was written" \
    test -z "$(cmp "$src" "$work/link.copy")" -a ! -e "$src.1_of_3" -a ! -e "$src.1_of_3.partial"
  # A link that leads nowhere under a temporary name: the next name is taken.
  rm "$src.3_of_3"; ln -s "$work/nowhere" "$src.2_of_3.partial"
  expect 0 "" split "$src" -n 3
  check "the split went past it, and left it as it was" \
    test "$(cat "$work"/link.bin.?_of_3 | cmp - "$src")" = "" -a \
    "$(readlink "$src.2_of_3.partial")" = "$work/nowhere"
  rm "$work"/link.bin.?_of_3*
  # A pipe as the source: refused at once, not waited on.
  mkfifo "$work/pipe.bin"
  runner="timeout 10" expect 1 "The file: $work/pipe.bin $NOT_REGULAR" split "$work/pipe.bin" -n 2
  expect 1 "The file: /proc/self/status $NOT_REGULAR" split /proc/self/status -n 2 -o "$work"
  # Awkward names: a listing from `sums` checks with sha256sum -c and verify
  # --sums from where it was written; "--" lets a name start with "-".
  local odd=$'-line\nbreak \\ back.bin' dir="$work/odd"
  mkdir "$dir"; head -c 5000 /dev/urandom > "$dir/$odd"
  (cd "$dir" && "$program" split -n 3 -- "$odd" && "$program" join -O copy -- "$odd.2_of_3" &&
    "$program" sums -- "$odd.1_of_3" >sums.txt && mv copy "$odd") >/dev/null 2>"$err"
  check "sums writes an escaped listing that sha256sum -c accepts" bash -c 'cd "$1" &&
    [ "$(grep -c "^\\\\" sums.txt)" -eq 4 ] && sha256sum -c --quiet --strict sums.txt' -- "$dir"
  (cd "$dir" && "$program" verify --sums sums.txt -- "$odd.3_of_3") >"$out"; code=$?
  verdict 0 "" "verify --sums reads it back"
  # Failures carry the system's reason; output that cannot be written fails.
  local long; long="$dir/$(printf 'x%.0s' $(seq 250))"; head -c 10 /dev/zero > "$long"
  expect 1 "Failed to create output file: $long.1_of_2.partial." split "$long" -n 2
  check "with the system's reason" test "$reason" = " (File name too long)"
  "$program" info "$dir/$odd.1_of_3" >/dev/full 2>"$err"; code=$?
  verdict 1 "Write failure on standard output." "info into a full disk"
  "$program" join "$dir/$odd.1_of_3" -O - >/dev/full 2>"$err"; code=$?
  verdict 1 "Write failure." "join -O - into a full disk"
  # Ctrl-C while segment 2 is being written: segment 1 is complete, segment 2's
  # bytes stay under its temporary name, and what is left does not join.
  local big="$work/big.bin"; truncate -s 1G "$big"
  printf end | dd of="$big" bs=1 seek=$(( (1 << 30) - 3 )) conv=notrunc status=none
  # The copy runs inside the kernel in 8 MiB calls: Ctrl-C stops it within the segment.
  start split "$big" -n 2; poll 0.005 test -e "$big.2_of_2.partial"
  kill -INT "$pid"; await "$pid" "$job"
  verdict 130 "" "Ctrl-C during segment 2"
  check "segment 1 complete, segment 2 only under its temporary name" \
    test "$(size "$big.1_of_2")" -eq $((1 << 29)) -a ! -e "$big.2_of_2" -a -e "$big.2_of_2.partial"
  mkdir "$work/back"; expect 1 "" join "$big.1_of_2" -o "$work/back"
  check "and the join wrote nothing" \
    test ! -e "$work/back/big.bin" -a ! -e "$work/back/big.bin.partial"
}

# xfs_volume DIR SIZE MKFS_OPTION...: mounts at DIR an XFS volume over a loop
# device, its image in /dev/shm (removed on exit); false, and the section
# skipped, where that cannot be done. $image is the image.
xfs_volume() {
  as_root && type -P mkfs.xfs xfs_io >/dev/null || { skip "needs root and xfsprogs"; return 1; }
  image="/dev/shm/morvane-${1##*/}-$$.img"; trash+=("$image")
  mkdir "$1"; truncate -s "$2" "$image"
  mkfs.xfs -q "${@:3}" "$image" 2>/dev/null && mount -o loop "$image" "$1" && mounts+=("$1") ||
    { skip "cannot make and mount an XFS loop device here"; return 1; }
}
# df_kib DIR FIELD: the KiB used (FIELD 3) or free (4) on the volume at DIR.
df_kib() { df -Pk "$1" | awk -v f="$2" 'NR == 2 { print $f }'; }

# On XFS with reflink (a loop device over an image in /dev/shm): a join shares
# the members' extents instead of copying them, even on a nearly full volume,
# and the listing of a split whose bytes the kernel shares is right.
cow() {
  local xfs="$work/xfs" src="$work/xfs/src.bin" used
  xfs_volume "$xfs" 1200M -m reflink=1 || return
  head -c 256M /dev/urandom > "$src"; mkdir "$xfs/set" "$xfs/out"
  expect 0 "" split "$src" -s 16M -o "$xfs/set"; sync; used="$(df_kib "$xfs" 3)"
  expect 0 "" join "$xfs/set/src.bin.01_of_16" -o "$xfs/out" --verbose; sync
  check "the joined file is exact" cmp -s "$src" "$xfs/out/src.bin"
  check "it shares every extent with the set" \
    grep -q "^copied: 268,435,456 bytes as shared extents, 0 bytes" "$err"
  check "and takes no room (df: $(( $(df_kib "$xfs" 3) - used )) KiB more)" \
    test $(( $(df_kib "$xfs" 3) - used )) -lt 2621
  # Three segments not aligned to blocks beside the set: not of it.
  expect 0 "" split "$src" -n 3 -o "$xfs/set"
  # Hashed for a listing, the bytes the kernel shares or copies are read again.
  mkdir "$xfs/listed"; expect 0 "" split "$src" -n 3 --sums -o "$xfs/listed"
  check "and the listing of such a split is right" bash -c 'cd "$1" &&
    sha256sum -c --quiet --strict --ignore-missing src.bin.sha256' -- "$xfs/listed"
  # On a nearly full volume (64 MiB free) the shared join still fits: only
  # what the members cannot share needs room. (Nothing is deleted first: XFS
  # gives the room of deleted files back in the background, a moment later.)
  fallocate -l $(( $(df_kib "$xfs" 4) * 1024 - (64 << 20) )) "$xfs/filler"; mkdir "$xfs/full"
  expect 0 "" join "$xfs/set/src.bin.01_of_16" -o "$xfs/full"
  check "a shared join on a nearly full volume is exact" cmp -s "$src" "$xfs/full/src.bin"
}

# A power loss on a real file system, simulated the way file-system test
# suites simulate it: on XFS over a loop device, another program forces the
# log, then the volume shuts down without flushing and is mounted again.
# Whatever carries a final name after that is whole: the segments of a split
# and a joined file reported complete, and of a split cut off in the middle,
# every segment that has its name.
power_loss() { touch "$xfs/other"; xfs_io -c fsync "$xfs/other"; xfs_io -x -c shutdown "$xfs"; }
remount() { umount "$xfs" && mount -o loop "$image" "$xfs"; }
# slice K: the source's K-th 32 MiB.
slice() { tail -c +$(( ($1 - 1) * (32 << 20) + 1 )) "$src" | head -c $((32 << 20)); }
crash() {
  local xfs="$work/crash" src="$work/crash.bin" seg="$work/crash/cut/crash.bin" k
  local small="$work/small.bin"
  xfs_volume "$xfs" 1G || return
  # Not on the volume. The small file's segments, and the end of its join,
  # stay under the write-behind chunk (8 MiB): only the flush before each name
  # puts them on the device, nothing else before the power fails.
  head -c 256M /dev/urandom >"$src"; head -c 20M "$src" >"$small"
  mkdir "$xfs/out"; expect 0 "" split "$small" -n 4 -o "$xfs/out"; power_loss; remount
  check "after a power loss the four segments reported complete are whole" \
    cmp -s "$small" <(cat "$xfs/out/small.bin."{1,2,3,4}_of_4)
  mkdir "$work/crash-set" "$xfs/joined"; cli split "$small" -n 3 -o "$work/crash-set"
  expect 0 "" join "$work/crash-set/small.bin.1_of_3" -o "$xfs/joined"; power_loss; remount
  check "and so is a joined file reported complete" cmp -s "$small" "$xfs/joined/small.bin"
  # The power fails while segment 3 of 8 is being written. (On a fast machine
  # the split may end first: then it must have named all.)
  mkdir "$xfs/cut"; start split "$src" -n 8 -o "$xfs/cut"; poll 0.002 test -e "$seg.3_of_8.partial"
  power_loss; await "$pid" "$job"; remount
  local lost="the split cut off by the power loss"
  check "$lost did not report success, and named what it had finished" \
    test "$code" -ne 0 -a -e "$seg.1_of_8" -o "$(ls "$xfs/cut" | grep -c '_of_8$')" -eq 8
  echo "   (exit code $code; on the volume: $(cd "$xfs/cut" && echo *))"
  for k in 1 2 3 4 5 6 7 8; do
    [ -e "$seg.${k}_of_8" ] || continue
    check "segment $k, which has its name, is whole" cmp -s "$seg.${k}_of_8" <(slice "$k")
  done
}

readonly POSIX="links, pipes, Ctrl-C, kernel copies and power loss are the POSIX build's cases"
case "$section" in
  basic | faults | scale) "$section" ;;
  safety | cow | crash) [ -z "$wine" ] || { echo "$POSIX"; exit 2; }; "$section" ;;
  *) echo "unknown section \"$section\" (see the head of this script)"; exit 2 ;;
esac
echo "$failures failure(s)"
[ "$failures" -eq 0 ] || exit 1
[ -z "$skipped" ] || exit 77
