# Sourced by scripts/test: starts the servers the tests use when none is
# reachable, and stops only what it started.
#   start_test_servers   exports PULSE_SERVER and DISPLAY
#   stop_test_servers

QV_SERVER_DIR=""
QV_PULSE_PID=""
QV_XVFB_PID=""

pulse_reachable() {
  command -v pactl >/dev/null && timeout 5 pactl info >/dev/null 2>&1
}

start_pulse() {
  if [ -n "${PULSE_SERVER:-}" ] && pulse_reachable; then
    echo "test servers: using PulseAudio at $PULSE_SERVER"
    return 0
  fi
  local dir="$QV_SERVER_DIR/pulse"
  mkdir -p "$dir/home" "$dir/run"
  chmod 700 "$dir/run"
  # -n: no default configuration; only the modules below. Running as root
  # prints a warning and works.
  HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run" XDG_CONFIG_HOME="$dir/home" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
      --disallow-module-loading=no --log-target=file:"$dir/pulse.log" \
      -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
      -L "module-null-sink sink_name=speakers sink_properties=device.description=speakers" \
      -L "module-null-source source_name=microphone description=microphone" \
      </dev/null >/dev/null 2>&1 &
  QV_PULSE_PID=$!
  export PULSE_SERVER="unix:$dir/native"
  for _ in $(seq 1 100); do
    if pulse_reachable; then
      pactl set-default-sink speakers >/dev/null 2>&1 || true
      pactl set-default-source microphone >/dev/null 2>&1 || true
      echo "test servers: PulseAudio started at $PULSE_SERVER"
      return 0
    fi
    sleep 0.1
  done
  echo "test servers: PulseAudio did not start; its log:" >&2
  cat "$dir/pulse.log" >&2 || true
  return 1
}

start_xvfb() {
  if [ -n "${DISPLAY:-}" ] && command -v xdpyinfo >/dev/null && xdpyinfo >/dev/null 2>&1; then
    echo "test servers: using X display $DISPLAY"
    return 0
  fi
  local fifo="$QV_SERVER_DIR/xvfb-display"
  rm -f "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" \
    >"$QV_SERVER_DIR/xvfb.log" 2>&1 &
  QV_XVFB_PID=$!
  for _ in $(seq 1 100); do
    if [ -s "$fifo" ]; then
      export DISPLAY=":$(head -n1 "$fifo" | tr -d '[:space:]')"
      if xdpyinfo >/dev/null 2>&1; then
        echo "test servers: Xvfb started on $DISPLAY"
        return 0
      fi
    fi
    sleep 0.1
  done
  echo "test servers: Xvfb did not start; its log:" >&2
  cat "$QV_SERVER_DIR/xvfb.log" >&2 || true
  return 1
}

start_test_servers() {
  QV_SERVER_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quorvale-servers.XXXXXX")
  start_pulse && start_xvfb
}

stop_test_servers() {
  [ -n "$QV_PULSE_PID" ] && kill "$QV_PULSE_PID" 2>/dev/null && wait "$QV_PULSE_PID" 2>/dev/null
  [ -n "$QV_XVFB_PID" ] && kill "$QV_XVFB_PID" 2>/dev/null && wait "$QV_XVFB_PID" 2>/dev/null
  [ -n "$QV_SERVER_DIR" ] && rm -rf "$QV_SERVER_DIR"
  QV_PULSE_PID=""; QV_XVFB_PID=""; QV_SERVER_DIR=""
  return 0
}
