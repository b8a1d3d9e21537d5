# Shared harness of the end-to-end tests: sourced by every test script. It runs the real orvimo2 on
# the private X server and sound server of the test fixtures, drives it with xdotool and judges its
# WAV files with outside readers (soxi and wav_probe.py).
#
# A test script calls e2e_init <name> <orvimo2 path> first. A path ending in ".exe" is the Windows
# program: it runs under Wine in a private prefix, takes its options in the "/" form (E2E_OPT), its
# file names as Z: paths (e2e_path), is closed through its window, and keeps its settings in Wine's
# registry (e2e_init_settings_view lists them in the INI file's "name=value" form). The fixtures come in through the
# environment: ORVIMO_XVFB_DIR (holds "display"), ORVIMO_PULSE_DIR (holds pulse.env) and
# ORVIMO_E2E_RUNTIME (where each test gets a folder of its own); ORVIMO_ARTIFACTS names the folder
# for screenshots. Everything started through these helpers is stopped on exit, also on failure.

set -euo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_PULSE_SESSION=$E2E_LIB_DIR/../audio/pulse-session
E2E_PYTHON=/usr/bin/python3
E2E_PIDS=()
E2E_FAILURES=0
E2E_WINDOW_NAME="Orvimo 2.0"
# The record button sits at (5, 5), 42 x 40, in the window's client area: its centre.
E2E_RECORD_X=26
E2E_RECORD_Y=25

e2e_log() { echo "[$(date +%H:%M:%S.%3N)] $*"; }

e2e_fail() {
  e2e_log "FAIL: $*"
  E2E_FAILURES=$((E2E_FAILURES + 1))
}

e2e_die() {
  e2e_log "FATAL: $*"
  exit 1
}

# Checks a condition given as a command; records a failure with the message when it does not hold.
e2e_expect() {
  local message=$1
  shift
  if "$@"; then
    e2e_log "ok: $message"
  else
    e2e_fail "$message"
  fi
}

e2e_cleanup() {
  local status=$?
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill -KILL "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  if ((status != 0 || E2E_FAILURES > 0)) && [[ -s "${E2E_WORK:-}/orvimo2.log" ]]; then
    echo "--- orvimo2's output ---"
    tail -n 40 "$E2E_WORK/orvimo2.log"
  fi
}

# e2e_init <test name> <orvimo2 path>: a fresh folder as home, config home, output folder and current
# directory; the display and the sound server of the fixtures.
e2e_init() {
  local name=$1
  E2E_PROGRAM=$2
  [[ -x "$E2E_PROGRAM" ]] || e2e_die "no program at '$E2E_PROGRAM'"
  [[ -s "${ORVIMO_XVFB_DIR:?}/display" ]] || e2e_die "the xvfb fixture has not started (no $ORVIMO_XVFB_DIR/display)"
  [[ -s "${ORVIMO_PULSE_DIR:?}/pulse.env" ]] || e2e_die "the pulse fixture has not started (no $ORVIMO_PULSE_DIR/pulse.env)"
  E2E_WORK=${ORVIMO_E2E_RUNTIME:?}/$name
  rm -rf "$E2E_WORK"
  mkdir -p "$E2E_WORK/home" "$E2E_WORK/out"
  trap e2e_cleanup EXIT
  # shellcheck disable=SC1091
  source "$ORVIMO_PULSE_DIR/pulse.env"
  export HOME=$E2E_WORK/home
  export XDG_CONFIG_HOME=$E2E_WORK/home/.config
  export DISPLAY
  DISPLAY=$(cat "$ORVIMO_XVFB_DIR/display")
  export QT_QPA_PLATFORM=xcb
  # No bus of the machine is ever reached: a misfired "Shutdown computer" finds no login manager.
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$E2E_WORK/no-session-bus
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$E2E_WORK/no-system-bus
  E2E_SETTINGS=$XDG_CONFIG_HOME/orvimo2/orvimo2.ini
  E2E_OPT=-
  E2E_WINE=""
  [[ "$E2E_PROGRAM" == *.exe ]] && e2e_init_wine
  cd "$E2E_WORK/out"
  e2e_log "test $name in $E2E_WORK, display $DISPLAY"
}

# The Windows program's prefix is shared by the end-to-end tests; every Wine call goes through the
# wrapper the Windows unit tests run through, here with the fixture's display. Each test starts from an
# empty settings key.
e2e_init_wine() {
  E2E_WINE=1
  E2E_OPT=/
  E2E_WINE_PREFIX=${ORVIMO_E2E_RUNTIME}/wine-prefix
  export ORVIMO_WINE_DISPLAY=$DISPLAY
  E2E_REGISTRY_KEY="HKCU\\Software\\$(basename "$E2E_PROGRAM" .exe)"
  e2e_wine reg delete "$E2E_REGISTRY_KEY" /f >/dev/null 2>&1 || true
  E2E_SETTINGS=$E2E_WORK/registry.txt
}

# e2e_wine <program> [arguments...]: runs a Windows program in the tests' prefix, with the display.
e2e_wine() { "$E2E_LIB_DIR/../wine/wine-run" "$E2E_WINE_PREFIX" "$@"; }

# e2e_path <unix path>: the path as the program under test names it (Wine's Z: drive is the root).
e2e_path() {
  if [[ -n "$E2E_WINE" ]]; then
    local path=${1//\//\\}
    echo "Z:${path}"
  else
    echo "$1"
  fi
}

# e2e_init_settings_view: for the Windows program, the values under its registry key as "name=value"
# lines in $E2E_SETTINGS (absent when the key holds nothing), and every value's kind checked to be a
# string.
e2e_init_settings_view() {
  [[ -n "$E2E_WINE" ]] || return 0
  rm -f "$E2E_SETTINGS"
  local listing
  listing=$(e2e_wine reg query "$E2E_REGISTRY_KEY\\TfrmMain" 2>/dev/null | tr -d '\r') || return 0
  e2e_log "registry key $E2E_REGISTRY_KEY\\TfrmMain:"
  sed 's/^/    /' <<<"$listing"
  e2e_expect "every stored value is a registry string" \
    test -z "$(grep -E '^ +[^ ]' <<<"$listing" | grep -v ' REG_SZ ' || true)"
  awk '$2 == "REG_SZ" { name = $1; $1 = ""; $2 = ""; sub(/^ +/, ""); print name "=" $0 }' \
    <<<"$listing" >"$E2E_SETTINGS"
  [[ -s "$E2E_SETTINGS" ]] || rm -f "$E2E_SETTINGS"
}

# e2e_play_tone <freq> <seconds>: a sine into the null sink, in the background.
e2e_play_tone() {
  local pid
  pid=$("$E2E_PULSE_SESSION" play-tone "$ORVIMO_PULSE_DIR" "$1" "$2")
  E2E_PIDS+=("$pid")
  E2E_TONE_PID=$pid
  e2e_log "playing $1 Hz for $2 s (pid $pid)"
}

# e2e_play_file <wav>: any sound file into the null sink, in the background.
e2e_play_file() {
  paplay -d orvimo_null "$1" </dev/null >/dev/null 2>&1 &
  E2E_TONE_PID=$!
  E2E_PIDS+=("$E2E_TONE_PID")
  e2e_log "playing $1 (pid $E2E_TONE_PID)"
}

# e2e_start [arguments...]: runs orvimo2 in the output folder; its pid is in E2E_APP_PID.
e2e_start() {
  e2e_log "starting orvimo2 $*"
  if [[ -n "$E2E_WINE" ]]; then
    e2e_wine "$E2E_PROGRAM" "$@" </dev/null >>"$E2E_WORK/orvimo2.log" 2>&1 &
  else
    "$E2E_PROGRAM" "$@" </dev/null >>"$E2E_WORK/orvimo2.log" 2>&1 &
  fi
  E2E_APP_PID=$!
  E2E_PIDS+=("$E2E_APP_PID")
}

e2e_app_running() { kill -0 "$E2E_APP_PID" 2>/dev/null; }

# e2e_main_thread_wakeups <seconds>: how often a second orvimo2's main thread ran over that time.
e2e_main_thread_wakeups() {
  local stat=/proc/$E2E_APP_PID/task/$E2E_APP_PID/schedstat before after
  before=$(cut -d' ' -f3 "$stat")
  sleep "$1"
  after=$(cut -d' ' -f3 "$stat")
  echo $(((after - before) / $1))
}

# e2e_find_window [timeout seconds]: the id of the program's main window (Qt keeps hidden helper
# windows, so only visible ones count). Sets E2E_WINDOW.
e2e_find_window() {
  local timeout=${1:-15} deadline ids
  deadline=$((SECONDS + timeout))
  while ((SECONDS < deadline)); do
    ids=$(xdotool search --onlyvisible --name "^${E2E_WINDOW_NAME}\$" 2>/dev/null || true)
    if [[ -n "$ids" ]]; then
      E2E_WINDOW=$(head -n 1 <<<"$ids")
      e2e_log "main window $E2E_WINDOW"
      return 0
    fi
    e2e_app_running || e2e_die "orvimo2 ended before its window showed"
    sleep 0.2
  done
  e2e_die "no visible window named '$E2E_WINDOW_NAME' after ${timeout} s"
}

# e2e_other_windows <name regex>: visible windows matching the name, other than the main window.
e2e_other_windows() {
  xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vx "${E2E_WINDOW:-none}" || true
}

# e2e_click_record: a left click in the centre of the record button, through the X server as a
# person's would be.
e2e_click_record() {
  e2e_log "clicking the record button"
  xdotool mousemove --window "$E2E_WINDOW" "$E2E_RECORD_X" "$E2E_RECORD_Y" sleep 0.2 \
    mousedown 1 sleep 0.1 mouseup 1
  # Park the pointer away from the button so its hover look does not linger.
  xdotool sleep 0.1 mousemove 1000 750
}

file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }

# e2e_wait_size <file> <bytes> <timeout seconds>: waits until the file holds at least that many bytes.
e2e_wait_size() {
  local file=$1 bytes=$2 timeout=$3 deadline
  deadline=$((SECONDS + timeout))
  while ((SECONDS < deadline)); do
    (($(file_size "$file") >= bytes)) && return 0
    sleep 0.1
  done
  e2e_log "$file holds $(file_size "$file") bytes after ${timeout} s, not $bytes"
  return 1
}

# e2e_wait_for <timeout seconds> <command...>: polls until the command succeeds.
e2e_wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  while ((SECONDS < deadline)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# e2e_wait_growing <file> <timeout seconds>: the file exists and grows past its header.
e2e_wait_growing() { e2e_wait_size "$1" 4096 "$2"; }

# e2e_stable_size <file> <seconds>: true when the file does not change size over that time.
e2e_stable_size() {
  local before
  before=$(file_size "$1")
  sleep "$2"
  [[ $(file_size "$1") == "$before" ]]
}

# e2e_close_window: Alt+F4 on the focused main window, as a person closes a Windows program; Wine
# turns it into the window's close.
e2e_close_window() {
  e2e_log "closing the window with Alt+F4"
  xdotool windowfocus --sync "$E2E_WINDOW" 2>/dev/null || true
  xdotool key --clearmodifiers alt+F4
}

# e2e_stop [signal]: ends the program with SIGTERM (a close as a person's; the Windows program's
# window is closed instead) and waits for it; E2E_APP_STATUS holds its exit status.
e2e_stop() {
  local signal=${1:-TERM} tries
  if [[ -n "$E2E_WINE" && $signal == TERM ]]; then
    e2e_close_window
  else
    e2e_log "sending SIG$signal to orvimo2"
    kill -"$signal" "$E2E_APP_PID" 2>/dev/null || true
  fi
  for ((tries = 0; tries < 100; tries++)); do
    e2e_app_running || break
    sleep 0.1
  done
  if e2e_app_running; then
    e2e_fail "orvimo2 still runs 10 s after SIG$signal"
    kill -KILL "$E2E_APP_PID" 2>/dev/null || true
  fi
  E2E_APP_STATUS=0
  wait "$E2E_APP_PID" 2>/dev/null || E2E_APP_STATUS=$?
  e2e_log "orvimo2 ended with status $E2E_APP_STATUS"
}

# e2e_probe <file>: reads the file with wav_probe.py into variables P_<key>.
e2e_probe() {
  local key value
  while IFS='=' read -r key value; do
    [[ -n "$key" ]] && printf -v "P_$key" '%s' "$value"
  done < <("$E2E_PYTHON" "$E2E_LIB_DIR/wav_probe.py" info "$1")
}

float_between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }

# e2e_check_wav <file> <channels> <rate> <bits> <min seconds> <max seconds> [tone Hz]: a valid
# PCM WAV of that format whose header sizes match its length, as long as asked, holding the tone
# (within 1 %) at a real level.
e2e_check_wav() {
  local file=$1 channels=$2 rate=$3 bits=$4 min=$5 max=$6 tone=${7:-}
  if [[ ! -f "$file" ]]; then
    e2e_fail "$file does not exist"
    return
  fi
  local soxi_channels soxi_rate soxi_bits soxi_seconds
  soxi_channels=$(soxi -c "$file" 2>&1) || true
  soxi_rate=$(soxi -r "$file" 2>&1) || true
  soxi_bits=$(soxi -b "$file" 2>&1) || true
  soxi_seconds=$(soxi -D "$file" 2>&1) || true
  e2e_log "soxi $file: $soxi_channels channels, $soxi_rate Hz, $soxi_bits bits, $soxi_seconds s, $(file_size "$file") bytes"
  e2e_expect "$file: soxi reads $channels channels" test "$soxi_channels" = "$channels"
  e2e_expect "$file: soxi reads $rate Hz" test "$soxi_rate" = "$rate"
  e2e_expect "$file: soxi reads $bits bits" test "$soxi_bits" = "$bits"
  e2e_expect "$file: soxi's duration $soxi_seconds s within $min..$max s" float_between "$soxi_seconds" "$min" "$max"

  e2e_probe "$file"
  local align=$((channels * bits / 8))
  e2e_expect "$file: RIFF/WAVE/fmt/data identifiers" \
    test "$P_riff$P_wave$P_fmt$P_data_id" = "RIFFWAVEfmt data"
  e2e_expect "$file: PCM, fmt size 16" test "$P_tag/$P_fmt_size" = "1/16"
  e2e_expect "$file: byte rate $((align * rate)), block align $align" \
    test "$P_byte_rate/$P_align" = "$((align * rate))/$align"
  e2e_expect "$file: RIFF size $P_riff_size = file length - 8" test "$P_riff_size" = "$((P_file_size - 8))"
  e2e_expect "$file: data size $P_data_size = file length - 44" test "$P_data_size" = "$P_disk_data_size"
  e2e_expect "$file: whole sample frames" test $((P_disk_data_size % align)) = 0
  if [[ -n "$tone" ]]; then
    e2e_log "$file: tone $P_tone_hz Hz, peak $P_peak, sounding $P_sounding_seconds s"
    local low high
    low=$(awk -v f="$tone" 'BEGIN { print f * 0.99 }')
    high=$(awk -v f="$tone" 'BEGIN { print f * 1.01 }')
    e2e_expect "$file: tone $P_tone_hz Hz within 1 % of $tone Hz" float_between "$P_tone_hz" "$low" "$high"
    e2e_expect "$file: peak level $P_peak near the played 0.5" float_between "$P_peak" 0.3 0.7
    e2e_expect "$file: sound over most of the file ($P_sounding_seconds of $soxi_seconds s)" \
      float_between "$P_sounding_seconds" "$(awk -v d="$soxi_seconds" 'BEGIN { print d * 0.8 }')" 1e9
  fi
}

# e2e_sleep_until <epoch seconds>: sleeps until that moment (not at all when it has passed).
e2e_sleep_until() {
  local left
  left=$(($1 - $(date +%s)))
  ((left <= 0)) || sleep "$left"
}

# e2e_private_bus <system|session>: a bus daemon of this test's own, exported as the system or the
# session bus.
e2e_private_bus() {
  local kind=$1
  local bus_socket=$E2E_WORK/${kind}_bus_socket
  # A unix socket path holds at most 107 bytes: a deep build tree puts the socket under /tmp.
  ((${#bus_socket} <= 100)) || bus_socket=$(mktemp -d /tmp/orvimo-bus.XXXXXX)/${kind}_bus_socket
  cat >"$E2E_WORK/$kind-bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:path=$bus_socket</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
<allow own="*"/></policy></busconfig>
CONF
  dbus-daemon --nofork --nopidfile --config-file="$E2E_WORK/$kind-bus.conf" </dev/null >"$E2E_WORK/$kind-bus.log" 2>&1 &
  E2E_PIDS+=($!)
  if [[ $kind == system ]]; then
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$bus_socket
  else
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$bus_socket
  fi
  e2e_expect "the private $kind bus is up" e2e_wait_for 10 test -S "$bus_socket"
}

# e2e_mock_login_manager: a private system bus with a mock login manager (python3-dbusmock's logind
# template), which only records what it is asked: nothing is switched off or held off for real.
e2e_mock_login_manager() {
  e2e_private_bus system
  "$E2E_PYTHON" -m dbusmock --system --template logind </dev/null >"$E2E_WORK/logind.log" 2>&1 &
  E2E_PIDS+=($!)
  e2e_expect "the mock login manager answers" e2e_wait_for 20 e2e_mock_answers
}

e2e_mock_answers() { e2e_mock_calls PowerOff >/dev/null; }

# e2e_mock_calls <method>: the calls of that method the mock login manager has seen.
e2e_mock_calls() {
  dbus-send --bus="$DBUS_SYSTEM_BUS_ADDRESS" --print-reply --dest=org.freedesktop.login1 \
    /org/freedesktop/login1 org.freedesktop.DBus.Mock.GetMethodCalls "string:$1" 2>/dev/null
}

# e2e_mock_inhibitors: the locks the mock login manager holds now.
e2e_mock_inhibitors() {
  dbus-send --bus="$DBUS_SYSTEM_BUS_ADDRESS" --print-reply --dest=org.freedesktop.login1 \
    /org/freedesktop/login1 org.freedesktop.login1.Manager.ListInhibitors 2>/dev/null
}

# e2e_screenshot <window id> <png>: the window's contents as the X server shows them.
e2e_screenshot() {
  mkdir -p "$(dirname "$2")"
  import -window "$1" "$2"
  e2e_log "screenshot $2 ($(identify -format '%wx%h' "$2"))"
}

# e2e_meter_bar <png>: how long the level meter's upper bar is in a screenshot of the window, in pixels
# that are not the meter's black.
e2e_meter_bar() {
  convert "$1" -crop 229x1+50+39 +repage -fill white +opaque black -format '%[fx:round(mean*w)]' info:
}

# e2e_finish: the test's verdict.
e2e_finish() {
  if ((E2E_FAILURES > 0)); then
    e2e_log "$E2E_FAILURES check(s) failed"
    exit 1
  fi
  e2e_log "all checks passed"
}
