#!/usr/bin/env bash
# A disk slower than the audio, made with a FUSE passthrough that waits before every write (a slow USB
# stick, a network share): the capture goes on into the writer's buffer, the stop writes the backlog
# for a few seconds and tells what it gave up after that, so the dropout figure matches the audio
# really missing. The recording stops at an exact size limit: what was captured is known to the byte.
SLOW_FS=$(cd "$(dirname "$0")" && pwd)/slow_fs.py
source "$(dirname "$0")/lib.sh"
faults_init slow_disk "$1"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
"$E2E_PYTHON" -c 'import fuse' 2>/dev/null || e2e_die "python3-fuse is missing"

# slow_mount <name> <seconds per write>: a slow disk over a folder of the test's own.
slow_mount() {
  local name=$1 delay=$2
  mkdir -p "$E2E_WORK/$name.back" "$E2E_WORK/$name"
  "$E2E_PYTHON" "$SLOW_FS" "$E2E_WORK/$name" -f \
    -o "root=$E2E_WORK/$name.back,delay=$delay" >>"$E2E_WORK/slow_fs.log" 2>&1 &
  faults_on_exit "fusermount -u -z '$E2E_WORK/$name'"
  e2e_wait_for 10 mountpoint -q "$E2E_WORK/$name" || e2e_die "the slow disk $name did not mount"
}

# record <file> <rate> <megabytes>: records without a window until the size limit; stderr into a log.
record() {
  local status=0
  e2e_log "orvimo2 -f $2 -m $3 -a none $1"
  timeout 60 "$E2E_PROGRAM" -f "$2" -c 2 -b 16 -m "$3" -a none "$1" </dev/null >/dev/null 2>"$1.log" ||
    status=$?
  sed 's/^/    /' "$1.log"
  e2e_expect "$(basename "$1"): ends with status 0 (was $status)" test "$status" = 0
}

e2e_play_tone 1000 60

e2e_log "30 ms before each 4 KiB write (about 130 KB/s) for 384000 bytes a second"
slow_mount slow 0.03
file=$E2E_WORK/slow/slow.wav
record "$file" 96000 4
e2e_probe "$file"
e2e_expect "slow.wav: the header's sizes match the file's length" faults_header_matches "$file"
captured=4194304
missing=$(awk -v c=$captured -v d="$P_disk_data_size" 'BEGIN { printf "%.3f", (c - d) / 384000 }')
told=$(sed -n 's/.*: [0-9]* dropouts\? (about \([0-9.]*\) s lost)$/\1/p' "$file.log" | tail -n 1)
e2e_log "SLOWDISK: $P_disk_data_size of $captured bytes on disk, $missing s missing, ${told:-no} s told"
e2e_expect "the backlog was written for a while at the stop ($P_disk_data_size bytes)" test "$P_disk_data_size" -gt 1000000
e2e_expect "the stop says what it gave up" grep -q "could not be written before the stop" "$file.log"
e2e_expect "the dropout figure ${told:-none} s is within 5 % of the $missing s missing" \
  float_between "${told:-0}" "$(awk -v m="$missing" 'BEGIN { print m * 0.95 - 0.05 }')" \
  "$(awk -v m="$missing" 'BEGIN { print m * 1.05 + 0.05 }')"
e2e_finish
