# Shell functions for showing Lingotrove on a private Xvfb display. Source this file.

# Starts Xvfb on the first free display number and exports DISPLAY; XVFB_PID is its process.
start_xvfb() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xwininfo -root >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# Waits up to $2 seconds for a top-level window whose title ends with $1; prints its X id.
wait_for_window() {
  local suffix=$1 seconds=$2 i id
  for i in $(seq 1 $((seconds * 10))); do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "$suffix\": (" | head -n 1 | awk '{print $1}')
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
