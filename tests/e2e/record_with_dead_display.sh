#!/usr/bin/env bash
# A display named in the environment that nothing answers (a stale DISPLAY after a logout, a
# WAYLAND_DISPLAY whose compositor has gone): orvimo2 says which display it could not open, in one line,
# and records as without a display, ending with status 0 and a complete file.
source "$(dirname "$0")/lib.sh"
e2e_init record_with_dead_display "$1"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$E2E_WORK/runtime
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
e2e_play_tone 1000 40

# record_with <file> <variable=value>: -m 1 -a none into the file with that one display named.
record_with() {
  local file=$1 setting=$2 status=0
  e2e_log "$setting orvimo2 -m 1 -a none $file"
  env "$setting" timeout 30 "$E2E_PROGRAM" -m 1 -a none "$file" </dev/null >/dev/null 2>"$file.err" || status=$?
  sed 's/^/    /' "$file.err"
  e2e_expect "$setting: it ends by itself with status 0 (was $status)" test "$status" = 0
  e2e_expect "$setting: one line says which display could not be opened" \
    test "$(grep -c "Cannot open the display ${setting#*=} ([A-Za-z0-9]*); running without a window.\$" "$file.err")" = 1
  e2e_check_wav "$file" 2 44100 16 5.9 7.2 1000
}

record_with x11.wav DISPLAY=:999
record_with wayland.wav WAYLAND_DISPLAY=wayland-gone
e2e_finish
