# A display and a session bus of their own, never the desktop's: shared by
# the end-to-end tests (tests/e2e/run.sh) and the desktop benchmark
# (bench/desktop_bench.sh). Source it; it needs Xvfb, xdotool and dbus-daemon.

# start_private_display FIRST LAST LOG: Xvfb on the first free display number
# in FIRST..LAST, once it answers; sets private_display (":N") and
# private_display_pid. Waits at most ten seconds per number.
start_private_display() {
  local first=$1 last=$2 log=$3 number pid
  for number in $(seq "$first" "$last"); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      # Ours, not another server that already had the number.
      if DISPLAY=":$number" xdotool getdisplaygeometry >/dev/null 2>&1 &&
        [[ "$(tr -d ' \n' </tmp/.X$number-lock 2>/dev/null)" == "$pid" ]]; then
        private_display=":$number"
        private_display_pid=$pid
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null   # lost a race for this number, or hung: try the next
    wait "$pid" 2>/dev/null
  done
  echo "no free X display in :$first..:$last" >&2
  return 1
}

# start_private_bus SOCKET FOLDER: a session bus listening on SOCKET, with the
# session bus's policy but none of the machine's activatable services, so
# nothing from outside starts on it; its configuration, log and address file
# go to FOLDER. Sets private_bus_address and private_bus_pid.
start_private_bus() {
  local socket=$1 folder=$2
  cat >"$folder/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  dbus-daemon --config-file="$folder/bus.conf" --nofork --nosyslog \
    --print-address=3 3>"$folder/bus-address" >"$folder/dbus.log" 2>&1 &
  private_bus_pid=$!
  for _ in $(seq 100); do
    if [[ -s "$folder/bus-address" ]]; then
      private_bus_address=$(head -n1 "$folder/bus-address")
      return 0
    fi
    sleep 0.1
  done
  kill "$private_bus_pid" 2>/dev/null
  echo "the private session bus did not start" >&2
  return 1
}
