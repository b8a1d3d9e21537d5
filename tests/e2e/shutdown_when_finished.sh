#!/usr/bin/env bash
# "-a shutdown -m 1": after one megabyte the program asks the login manager to power off. The system
# bus here is a private bus daemon with a mock login manager (python3-dbusmock), which only records
# the request: nothing is switched off.
source "$(dirname "$0")/lib.sh"
e2e_init shutdown_when_finished "$1"

bus_socket=$E2E_WORK/system_bus_socket
# A unix socket path holds at most 107 bytes: a deep build tree puts the socket under /tmp.
((${#bus_socket} <= 100)) || bus_socket=$(mktemp -d /tmp/orvimo-bus.XXXXXX)/system_bus_socket
cat >"$E2E_WORK/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:path=$bus_socket</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
<allow own="*"/></policy></busconfig>
CONF
dbus-daemon --nofork --nopidfile --config-file="$E2E_WORK/bus.conf" </dev/null >"$E2E_WORK/bus.log" 2>&1 &
E2E_PIDS+=($!)
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$bus_socket
e2e_expect "the private system bus is up" e2e_wait_for 10 test -S "$bus_socket"
"$E2E_PYTHON" -m dbusmock --system --template logind </dev/null >"$E2E_WORK/logind.log" 2>&1 &
E2E_PIDS+=($!)

mock_calls() {
  dbus-send --bus="$DBUS_SYSTEM_BUS_ADDRESS" --print-reply --dest=org.freedesktop.login1 \
    /org/freedesktop/login1 org.freedesktop.DBus.Mock.GetMethodCalls "string:$1" 2>/dev/null
}
login_manager_up() {
  local deadline=$((SECONDS + 20))
  while ((SECONDS < deadline)); do
    mock_calls PowerOff >/dev/null && return 0
    sleep 0.2
  done
  return 1
}
e2e_expect "the mock login manager answers" login_manager_up

e2e_play_tone 1000 20
e2e_start -a shutdown -m 1 "$E2E_WORK/out/last.wav"
e2e_find_window
e2e_expect "last.wav reaches one megabyte" e2e_wait_size last.wav $((1048576 + 44)) 12
powered_off() {
  local deadline=$((SECONDS + 5))
  while ((SECONDS < deadline)); do
    # One call, whose only argument is the boolean false (no interactive authorisation).
    [[ $(mock_calls PowerOff | grep -c 'boolean false') == 1 ]] && return 0
    sleep 0.2
  done
  return 1
}
e2e_expect "the login manager is asked once to power off, without interaction: PowerOff(false)" powered_off
e2e_log "PowerOff calls as the mock saw them:"
mock_calls PowerOff | sed 's/^/    /'
e2e_expect "no reboot was asked" test -z "$(mock_calls Reboot | grep boolean)"
e2e_expect "the recording was completed before the request" e2e_stable_size last.wav 1.2
e2e_check_wav last.wav 2 44100 16 5.9 7.2 1000
e2e_expect "orvimo2 keeps running when the request is only recorded" e2e_app_running
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0 after SIGTERM" test "$E2E_APP_STATUS" = 0
e2e_finish
