#!/usr/bin/env bash
# On a Wayland compositor (weston, headless), where a client can neither flash its window nor learn
# its place: after "-m 1" the default action also sends a desktop notification naming the finished
# recording (to python3-dbusmock's notification daemon on a private session bus), or says it on stderr
# when no notification service answers; and the place an X11 session stored is left as it was.
source "$(dirname "$0")/lib.sh"
e2e_init finished_on_wayland "$1"
unset DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$E2E_WORK/runtime
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=wayland-orvimo
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 </dev/null \
  >"$E2E_WORK/weston.log" 2>&1 &
E2E_PIDS+=($!)
e2e_expect "the compositor is up" e2e_wait_for 15 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
e2e_private_bus session
"$E2E_PYTHON" -m dbusmock --session --template notification_daemon </dev/null >"$E2E_WORK/notifications.log" 2>&1 &
notification_service=$!
E2E_PIDS+=("$notification_service")

notify_calls() {
  dbus-send --session --print-reply --dest=org.freedesktop.Notifications /org/freedesktop/Notifications \
    org.freedesktop.DBus.Mock.GetMethodCalls string:Notify 2>/dev/null
}
e2e_expect "the notification service answers" e2e_wait_for 20 notify_calls

mkdir -p "$(dirname "$E2E_SETTINGS")"
printf '[TfrmMain]\nFormVersion=0\nNormPos=300,180,585,460\nNormPos(1024x768)=300,180,585,460\n' >"$E2E_SETTINGS"
e2e_play_tone 1000 40

# record_a_megabyte <file>: starts a recording on Wayland that stops by itself after a megabyte.
record_a_megabyte() {
  e2e_start -m 1 "$E2E_WORK/out/$1"
  e2e_expect "$1 reaches one megabyte" e2e_wait_size "$1" $((1048576 + 44)) 15
}

record_a_megabyte take.wav
notified() { notify_calls | grep -q "string \"$E2E_WORK/out/take.wav\""; }
e2e_expect "a desktop notification names the finished recording" e2e_wait_for 10 notified
{ notify_calls | grep -A1 'string "Your recording has finished as scheduled."' || true; } | sed 's/^/    /'
e2e_stop TERM
e2e_expect "orvimo2 ran on the Wayland platform, with a window" test -z "$(grep 'without a window' "$E2E_WORK/orvimo2.log" || true)"
e2e_check_wav take.wav 2 44100 16 5.9 7.2 1000
e2e_expect "the place an X11 session stored stays ($(grep '^NormPos=' "$E2E_SETTINGS"))" \
  grep -qx 'NormPos=300,180,585,460' "$E2E_SETTINGS"
e2e_expect "the other settings were saved" grep -q '^cWhenFinished_ItemIndex=0$' "$E2E_SETTINGS"

kill "$notification_service"
record_a_megabyte second.wav
told() { grep -q "Your recording has finished as scheduled. $E2E_WORK/out/second.wav\$" "$E2E_WORK/orvimo2.log"; }
e2e_expect "without a notification service, stderr names the finished recording" e2e_wait_for 10 told
e2e_stop TERM
e2e_finish
