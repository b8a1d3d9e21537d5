#!/usr/bin/env bash
# "-a shutdown -m 1": after one megabyte the program asks the login manager to power off. The system
# bus here is a private bus daemon with a mock login manager (python3-dbusmock), which only records
# the request: nothing is switched off.
source "$(dirname "$0")/lib.sh"
e2e_init shutdown_when_finished "$1"

e2e_mock_login_manager

e2e_play_tone 1000 20
e2e_start -a shutdown -m 1 "$E2E_WORK/out/last.wav"
e2e_find_window
e2e_expect "last.wav reaches one megabyte" e2e_wait_size last.wav $((1048576 + 44)) 12
powered_off() {
  local deadline=$((SECONDS + 5))
  while ((SECONDS < deadline)); do
    # One call, whose only argument is the boolean false (no interactive authorisation).
    [[ $(e2e_mock_calls PowerOff | grep -c 'boolean false') == 1 ]] && return 0
    sleep 0.2
  done
  return 1
}
e2e_expect "the login manager is asked once to power off, without interaction: PowerOff(false)" powered_off
e2e_log "PowerOff calls as the mock saw them:"
e2e_mock_calls PowerOff | sed 's/^/    /'
e2e_expect "no reboot was asked" test -z "$(e2e_mock_calls Reboot | grep boolean)"
e2e_expect "the recording was completed before the request" e2e_stable_size last.wav 1.2
e2e_check_wav last.wav 2 44100 16 5.9 7.2 1000
e2e_expect "orvimo2 keeps running when the request is only recorded" e2e_app_running
e2e_stop TERM
e2e_expect "orvimo2 exits with status 0 after SIGTERM" test "$E2E_APP_STATUS" = 0
e2e_finish
