#!/usr/bin/env bash
# With no display to connect to, orvimo2 records from its command line without a window: it ends by
# itself once nothing is left to do, with status 0 and a complete file; on a terminal it rewrites one
# progress line, into a pipe it prints one line per event; SIGINT completes the file; -norec with a
# start time waits and records then. Sleep is held off meanwhile through the mock login manager.
source "$(dirname "$0")/lib.sh"
e2e_init record_without_display "$1"
e2e_mock_login_manager
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

e2e_play_tone 1000 60
no_lock_left() { ! e2e_mock_inhibitors | grep -q Orvimo; }

e2e_log "orvimo2 -m 1 -a none take.wav, stdout a pipe"
timeout 30 "$E2E_PROGRAM" -m 1 -a none take.wav </dev/null 2>>"$E2E_WORK/orvimo2.log" | cat >events.txt &&
  status=${PIPESTATUS[0]} || status=${PIPESTATUS[0]}
sed 's/^/    /' events.txt
e2e_expect "it ends by itself with status 0 (was $status)" test "$status" = 0
e2e_expect "an event line tells the start" grep -q " started $E2E_WORK/out/take.wav\$" events.txt
e2e_expect "an event line tells the stop with the time recorded" \
  grep -Eq " stopped $E2E_WORK/out/take.wav: 00:00:0[67] recorded\$" events.txt
e2e_check_wav take.wav 2 44100 16 5.94 5.95 1000
e2e_expect "take.wav ends at the limit: 1048576 bytes of audio ($P_disk_data_size)" test "$P_disk_data_size" = 1048576
e2e_expect "no lock is left once it has ended" e2e_wait_for 5 no_lock_left

e2e_log "orvimo2 -m 1 -a none pty.wav on a pseudo-terminal, SIGINT after 3 s"
"$E2E_PYTHON" - "$E2E_PROGRAM" >pty.out <<'PY'
import os, pty, select, signal, sys, time
pid, fd = pty.fork()
if pid == 0:
    os.execv(sys.argv[1], ["orvimo2", "-m", "1", "-a", "none", "pty.wav"])
def read_for(seconds):
    data, end = b"", time.time() + seconds
    while time.time() < end:
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                break
            if not chunk:
                break
            data += chunk
    return data
output = read_for(3.5)
os.kill(pid, signal.SIGINT)
output += read_for(3)
_, status = os.waitpid(pid, 0)
sys.stdout.write(repr(output.decode(errors="replace")) + "\n")
sys.stdout.write("status %d\n" % os.waitstatus_to_exitcode(status))
PY
sed 's/^/    /' pty.out
e2e_expect "the progress line is rewritten in place on the terminal" \
  grep -Eq '\\rRecording audio  pty.wav  00:00:0[0-9]  free [0-9:]+  L\[[#-]{10}\] R\[[#-]{10}\]\\x1b\[K\\rRecording audio' pty.out
e2e_expect "after SIGINT it ends with status 0" grep -q '^status 0$' pty.out
e2e_check_wav pty.wav 2 44100 16 2.5 5 1000

start=$(date -d '+3 seconds' +%H:%M:%S)
e2e_log "orvimo2 -norec -s $start -m 1 -a none later.wav"
status=0
timeout 40 "$E2E_PROGRAM" -norec -s "$start" -m 1 -a none later.wav </dev/null >later.txt 2>>"$E2E_WORK/orvimo2.log" ||
  status=$?
sed 's/^/    /' later.txt
e2e_expect "it waited, recorded and ended with status 0 (was $status)" test "$status" = 0
e2e_expect "it told when it would start" grep -q " Waiting to record at " later.txt
e2e_expect "and then that it started" grep -q " started $E2E_WORK/out/later.wav\$" later.txt
e2e_check_wav later.wav 2 44100 16 5.9 7.2 1000

e2e_log "Inhibit calls as the mock saw them:"
e2e_mock_calls Inhibit | sed 's/^/    /'
inhibits=$(e2e_mock_calls Inhibit | tr -s ' \n' ' ')
e2e_expect "sleep was held off while recording" \
  grep -q 'string "sleep" variant string "Orvimo" variant string "Recording audio" variant string "block"' <<<"$inhibits"
e2e_expect "and while waiting to start" grep -q 'string "Orvimo" variant string "Waiting to record at ' <<<"$inhibits"
e2e_expect "no lock is left at the end" e2e_wait_for 5 no_lock_left

e2e_expect "a bad file name ends it with a non-zero status and the reason" \
  bash -c "! timeout 20 '$E2E_PROGRAM' -m 1 -a none /no/such/folder/x.wav </dev/null >/dev/null 2>bad.txt"
sed 's/^/    /' bad.txt
e2e_expect "the reason is on stderr" grep -q 'Cannot create file' bad.txt
e2e_finish
