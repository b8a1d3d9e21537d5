# Helpers of the fault tests, on top of the end-to-end harness (sourced from tests/e2e, unchanged):
# windows of one process among several, dialogs found by their title and read through the clipboard,
# and clean-up steps that run on exit even when a check fails (unmounting a scratch disk, restarting
# the sound server).

# shellcheck source=../e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

FAULTS_CLEANUPS=()

faults_cleanup() {
  local status=$?
  set +e
  # The programs first: a mount they still write to cannot go. e2e_cleanup reads the exit status.
  (exit $status)
  e2e_cleanup
  local step
  for ((step = ${#FAULTS_CLEANUPS[@]} - 1; step >= 0; step--)); do
    eval "${FAULTS_CLEANUPS[step]}" || true
  done
  return $status
}

# faults_init <name> <orvimo2 path>: as e2e_init, with this folder's own runtime and clean-up list.
faults_init() {
  e2e_init "$@"
  trap faults_cleanup EXIT
  # A key left down by an earlier test would repeat into every dialog and close it at once.
  xdotool keyup Return Escape space ctrl shift alt 2>/dev/null || true
}

# faults_on_exit <command>: runs the command when the test ends, last registered first.
faults_on_exit() { FAULTS_CLEANUPS+=("$1"); }

# faults_main_window <pid> [timeout]: the visible main window of that process (several may run).
faults_main_window() {
  local pid=$1 timeout=${2:-15} deadline ids
  deadline=$((SECONDS + timeout))
  while ((SECONDS < deadline)); do
    ids=$(xdotool search --all --onlyvisible --pid "$pid" --name "^${E2E_WINDOW_NAME}\$" 2>/dev/null || true)
    if [[ -n "$ids" ]]; then
      head -n 1 <<<"$ids"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

# faults_wait_dialog <title> <timeout> [pid]: the id of a visible window with exactly that title (of
# that process, when given), once it shows; fails when none shows in time.
faults_wait_dialog() {
  local title=$1 timeout=$2 pid=${3:-} deadline ids
  local by_pid=()
  [[ -n "$pid" ]] && by_pid=(--all --pid "$pid")
  deadline=$((SECONDS + timeout))
  while ((SECONDS < deadline)); do
    ids=$(xdotool search --onlyvisible "${by_pid[@]}" --name "^${title}\$" 2>/dev/null || true)
    if [[ -n "$ids" ]]; then
      head -n 1 <<<"$ids"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# faults_visible_dialogs <pid>: visible windows of the process other than its main window.
faults_visible_dialogs() {
  local pid=$1 main
  main=$(faults_main_window "$pid" 1 || echo none)
  xdotool search --all --onlyvisible --pid "$pid" --name '.' 2>/dev/null | grep -vx "$main" || true
}

# faults_dismiss <window>: clicks the dialog's OK button (bottom right). A mouse click, not a key:
# a key pressed into a window that closes on the press would be left down and repeat on the server.
faults_dismiss() {
  local WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null | grep -E '^(WIDTH|HEIGHT)=')" || return 0
  xdotool mousemove --window "$1" $((WIDTH - 50)) $((HEIGHT - 12)) sleep 0.1 mousedown 1 sleep 0.1 mouseup 1 \
    2>/dev/null || true
  xdotool mousemove 1000 750
  sleep 0.3
}

# faults_click_record <main window>: a left click on that window's record button.
faults_click_record() {
  xdotool mousemove --window "$1" "$E2E_RECORD_X" "$E2E_RECORD_Y" sleep 0.2 mousedown 1 sleep 0.1 mouseup 1
  xdotool sleep 0.1 mousemove 1000 750
}

# faults_holds_open <pid> <file>: true while the process has the file open.
faults_holds_open() {
  local pid=$1 file fd
  file=$(readlink -f "$2")
  for fd in /proc/"$pid"/fd/*; do
    [[ "$(readlink "$fd" 2>/dev/null)" == "$file" ]] && return 0
  done
  return 1
}

# faults_header_matches <file>: the WAV's size fields match its length (RIFF = n - 8, data = n - 44).
faults_header_matches() {
  e2e_probe "$1"
  [[ "$P_riff_size" == "$((P_file_size - 8))" && "$P_data_size" == "$P_disk_data_size" ]]
}

faults_not_open() { ! faults_holds_open "$@"; }

# faults_grows <file> <seconds>: the file grows over that time.
faults_grows() { ! e2e_stable_size "$@"; }
