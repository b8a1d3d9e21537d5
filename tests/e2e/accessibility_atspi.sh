#!/usr/bin/env bash
# The window as a screen reader sees it, through AT-SPI on a private session bus: every control has
# its role and name, the record button's actions record, pause, resume and stop as its clicks do, and
# the level meter reads the tone's level.
source "$(dirname "$0")/lib.sh"
e2e_init accessibility_atspi "$1"

# A session bus of the test's own; the accessibility bus and its registry are started on it on demand,
# and everything started there goes when the test ends.
bus_pid=""
stop_session_bus() {
  [[ -n "$bus_pid" ]] || return 0
  local pid children=("$bus_pid") all=()
  while ((${#children[@]} > 0)); do
    all+=("${children[@]}")
    mapfile -t children < <(for pid in "${children[@]}"; do pgrep -P "$pid" || true; done)
  done
  kill -TERM "${all[@]}" 2>/dev/null || true
}
trap 'stop_session_bus; e2e_cleanup' EXIT
read -r DBUS_SESSION_BUS_ADDRESS bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

atspi() { "$E2E_PYTHON" "$E2E_LIB_DIR/atspi.py" "$@" 2>>"$E2E_WORK/atspi.log"; }
button_field() { atspi button | sed -n "s/^$1=//p"; }
level_above_zero() { (($(atspi level || echo 0) > 0)); }

e2e_start
e2e_find_window
on_the_bus() { atspi button >/dev/null; }
e2e_expect "the window is on the accessibility bus" e2e_wait_for 20 on_the_bus
tree=$(atspi tree)
e2e_log "the window as a screen reader sees it:"
sed 's/^/    /' <<<"$tree"
# Each kind of control once (the window's unit test reads every name through the same interfaces).
while IFS='|' read -r role name; do
  e2e_expect "a $role named \"$name\"" grep -qF "$role | $name |" <<<"$tree"
done <<'NAMES'
frame|Orvimo 2.0
push button|Record
label|Status: Orvimo 2.0
progress bar|Level
combo box|Input device
text|To File:
push button|Browse...
combo box|Sample size
spin button|Sample rate (Hz)
check box|Start
spin button|Stop date
radio button|Stop after an amount
combo box|When finished
NAMES
e2e_expect "the time labels say what they are" grep -qE "label \| Recorded: 00 : 00 : 00 \(0 B\)" <<<"$tree"
e2e_expect "the free time is read with its size" grep -qE "label \| Free: [ 0-9]+ : [0-9]{2} : [0-9]{2} \([0-9.,]+ [KMGT]?B\)" <<<"$tree"
e2e_expect "the record button is a push button" test "$(button_field role)" = "push button"
e2e_expect "its actions are Press and Pause" grep -q "^Press,Pause" <<<"$(button_field actions)"
# The tone begins while a screen reader listens: the level's change is announced.
atspi events 3 >"$E2E_WORK/level-events.txt" &
listener=$!
sleep 0.5
e2e_play_tone 1000 40
e2e_expect "the meter reads the tone's level above 0" e2e_wait_for 5 level_above_zero
e2e_log "level $(atspi level)"
wait "$listener" || true
e2e_expect "the level's change is announced" grep -qE "accessible-value \| progress bar \| Level" "$E2E_WORK/level-events.txt"

atspi do Press
e2e_expect "its press starts a recording into Recording_1.wav" e2e_wait_growing Recording_1.wav 8
e2e_expect "it is named \"Stop recording\" now" test "$(button_field name)" = "Stop recording"
events=$(atspi events 2.5)
e2e_log "what the window announced over 2.5 s while recording:"
sed 's/^/    /' <<<"$events"
e2e_expect "the recorded time's changes are announced" grep -qE "accessible-name \| label \| Recorded: 00 : 00 : 0[1-9]" <<<"$events"
atspi do Pause
e2e_expect "Pause pauses: the file stops growing" e2e_stable_size Recording_1.wav 1.5
e2e_expect "paused, its description says Resume" grep -q "Resume" <<<"$(button_field description)"
e2e_expect "paused, its second action is Resume" grep -q "^Press,Resume" <<<"$(button_field actions)"
paused_size=$(file_size Recording_1.wav)
atspi do Resume
e2e_expect "Resume resumes: the file grows again" e2e_wait_size Recording_1.wav $((paused_size + 44100)) 5
atspi do Press
e2e_expect "the press again stops it: the file stops growing" e2e_stable_size Recording_1.wav 2
e2e_expect "it is named \"Record\" again" test "$(button_field name)" = "Record"
e2e_check_wav Recording_1.wav 2 44100 16 1 30 1000
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0" test "$E2E_APP_STATUS" = 0
e2e_finish
