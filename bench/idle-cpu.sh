#!/usr/bin/env bash
# Idle cost of the program and of ivractl: the whole process's CPU time over a
# fixed interval, in % of one core, median of several runs, for each state a
# tray program spends its days in. The program runs on xcb under Xvfb with
# openbox (so that minimising works) and trayer (a system tray, so that
# closing hides the window instead of minimising it). Every run gets fresh
# data, config and runtime folders.
#
#   bench/idle-cpu.sh [-n RUNS] [-t SECONDS] [-w SETTLE] [-s STATE,...] [-l] [BUILD_DIR]
#
#   BUILD_DIR  the build with bin/ivra-wireless-manager and bin/ivractl
#              (default build/release; scripts/bench.sh builds it first)
#   -n RUNS    runs per state (default 5); the median is printed
#   -t SECONDS measured interval per run (default 10)
#   -w SETTLE  seconds between the state being reached and the measurement
#              (default 3: the keyboard arrives, synchronises and its page
#              settles)
#   -s STATES  only these states (names as listed by -l)
#   -l         list the states and their goals, then exit
#
# With the defaults the whole script takes 8 to 10 minutes (35 runs of 14 to
# 17 s; 590 s on a busy two-core machine). CPU time is the sum over the
# process's threads of their run time (/proc/PID/task/*/schedstat,
# nanoseconds); where threads ended during the interval, the process's own
# tick count (/proc/PID/stat) is used instead.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
runs=5
seconds=10
settle=3
only=""
list=0
while getopts "n:t:w:s:lh" opt; do
  case "$opt" in
    n) runs="$OPTARG" ;;
    t) seconds="$OPTARG" ;;
    w) settle="$OPTARG" ;;
    s) only="$OPTARG" ;;
    l) list=1 ;;
    h) sed -n '2,25p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
build="${1:-$root/build/release}"

# name|goal (% of one core)|description
states=(
  "gui-no-device|0.05|GUI, no device, window shown"
  "gui-steady|0.3|GUI, simulated keyboard, window shown, steady effect"
  "gui-animated|2|GUI, simulated keyboard, window shown, default (animated) effect"
  "gui-minimised|0.1|GUI, simulated keyboard, window minimised"
  "gui-tray|0.1|GUI, simulated keyboard, window closed to the tray"
  "watch|0.1|ivractl --simulate keyboard device watch"
  "stream|1|ivractl --simulate keyboard light stream"
)

if [ "$list" -eq 1 ]; then
  for s in "${states[@]}"; do
    IFS='|' read -r name goal text <<<"$s"
    printf '%-14s <= %-5s %s\n' "$name" "$goal" "$text"
  done
  exit 0
fi

gui="$build/bin/ivra-wireless-manager"
ctl="$build/bin/ivractl"
for b in "$gui" "$ctl"; do
  if [ ! -x "$b" ]; then
    echo "idle-cpu: $b is missing; build first (scripts/build.sh release)" >&2
    exit 1
  fi
done

# The X tools: installed like every other package, without recommends.
need=()
for tool in Xvfb:xvfb openbox:openbox xdotool:xdotool wmctrl:wmctrl trayer:trayer xprop:x11-utils; do
  command -v "${tool%%:*}" >/dev/null 2>&1 || need+=("${tool#*:}")
done
[ ${#need[@]} -eq 0 ] || "$root/scripts/install-deps.sh" "${need[@]}"

work="$(mktemp -d /tmp/ivra-idle-cpu.XXXXXX)"
helpers=()  # pids of the X server, window manager and tray
target=""   # pid of the process being measured

stop_pid() {
  local pid="$1"
  [ -n "$pid" ] || return 0
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
    sleep 0.1
  done
  echo "idle-cpu: pid $pid did not end within 5 s of SIGTERM; killing it" >&2
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

cleanup() {
  stop_pid "$target"
  local i
  for ((i = ${#helpers[@]} - 1; i >= 0; i--)); do stop_pid "${helpers[$i]}"; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# One X server, window manager and tray for all runs.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
helpers+=($!)
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "idle-cpu: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
helpers+=($!)
for _ in $(seq 1 100); do
  wmctrl -m >/dev/null 2>&1 && break
  sleep 0.1
done
trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel --height 32 \
  >"$work/trayer.log" 2>&1 &
helpers+=($!)
# The tray is there once it owns the selection the program's icon docks into.
for _ in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 && \
    xdotool search --classname trayer >/dev/null 2>&1 && break
  sleep 0.1
done
# Nothing outside the run: no session bus, no accessibility bridge.
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=0 NO_AT_BRIDGE=1
unset IVRA_DEBUG

# CPU nanoseconds of every thread of a process, summed.
thread_ns() {
  local sum=0 t f
  for f in /proc/"$1"/task/*/schedstat; do
    read -r t _ <"$f" 2>/dev/null || continue
    sum=$((sum + t))
  done
  echo "$sum"
}

# The process's user + system ticks, dead threads included.
process_ticks() {
  local stat
  stat="$(cat /proc/"$1"/stat)" || return 1
  stat="${stat##*) }"
  # After the command name: state is field 3; utime and stime are 14 and 15.
  awk '{ print $12 + $13 }' <<<"$stat"
}

# % of one core the process used over `seconds`.
measure() {
  local pid="$1" ns0 ns1 tk0 tk1 t0 t1
  ns0="$(thread_ns "$pid")"; tk0="$(process_ticks "$pid")"; t0="$(date +%s%N)"
  sleep "$seconds"
  ns1="$(thread_ns "$pid")"; tk1="$(process_ticks "$pid")"; t1="$(date +%s%N)"
  kill -0 "$pid" 2>/dev/null || { echo "idle-cpu: the process ended while measured" >&2; return 1; }
  awk -v ns="$((ns1 - ns0))" -v ticks="$((tk1 - tk0))" -v hz="$(getconf CLK_TCK)" -v wall="$((t1 - t0))" '
    BEGIN {
      used = ns
      # A thread that ended during the interval took its run time with it;
      # the tick count still has it. Ticks are coarse (and rounded), so they
      # only win when they clearly exceed the threads sum.
      tickns = ticks * 1e9 / hz
      if (tickns > ns + 2 * 1e9 / hz) used = tickns
      printf "%.3f\n", used * 100 / wall
    }'
}

# The program's main window (the largest mapped window of the process).
main_window() {
  local pid="$1" best="" area=0 id geometry w h
  for id in $(xdotool search --all --pid "$pid" --name 'Ivra Wireless Manager' 2>/dev/null); do
    geometry="$(xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry:/ { print $2 }')"
    [ -n "$geometry" ] || continue
    w="${geometry%x*}"; h="${geometry#*x}"
    if [ $((w * h)) -gt "$area" ]; then best="$id"; area=$((w * h)); fi
  done
  echo "$best"
}

window_state() {  # Normal, Iconic or Withdrawn
  local state
  state="$(xprop -id "$1" WM_STATE 2>/dev/null | awk -F': ' '/window state/ { print $2 }')"
  # A window manager may drop the property of a window that was withdrawn.
  if [ -z "$state" ] && xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsUnMapped'; then
    state=Withdrawn
  fi
  echo "$state"
}

wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
  local limit=$(($1 * 10)); shift
  for _ in $(seq 1 "$limit"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

shown_window() {
  local id
  id="$(main_window "$1")"
  [ -n "$id" ] && [ "$(window_state "$id")" = "Normal" ] && echo "$id" >"$run/window"
}
in_state() { [ "$(window_state "$1")" = "$2" ]; }

# Starts the state's process in the run folder $run and brings it into the
# state; prints nothing, sets $target. False when the state was not reached.
start_state() {
  local state="$1" data="$run/data" window
  mkdir -p "$data" "$run/config" "$run/home"
  mkdir -m 700 "$run/runtime"
  local env=(env HOME="$run/home" XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$run/config"
             XDG_RUNTIME_DIR="$run/runtime" XDG_CACHE_HOME="$run/home/.cache")
  local dataRoot="$data/Ivra Wireless Manager 1.0"
  case "$state" in
    gui-steady)
      # Effect index 1 of the keyboard's list is the steady colour.
      "${env[@]}" "$ctl" --simulate keyboard --data-dir "$dataRoot" light set --effect 1 \
        >"$run/light-set.log" 2>&1 || { echo "idle-cpu: light set failed:" >&2; cat "$run/light-set.log" >&2; return 1; }
      ;;
  esac
  case "$state" in
    gui-no-device)
      "${env[@]}" "$gui" >"$run/out.log" 2>&1 &
      ;;
    gui-*)
      "${env[@]}" "$gui" --simulate keyboard >"$run/out.log" 2>&1 &
      ;;
    watch)
      "${env[@]}" "$ctl" --simulate keyboard --data-dir "$dataRoot" device watch >"$run/out.log" 2>&1 &
      ;;
    stream)
      "${env[@]}" "$ctl" --simulate keyboard --data-dir "$dataRoot" light stream >"$run/out.log" 2>&1 &
      ;;
  esac
  target=$!
  case "$state" in
    gui-*)
      if ! wait_for 20 shown_window "$target"; then
        echo "idle-cpu: $state: the window was not shown" >&2
        return 1
      fi
      window="$(cat "$run/window")"
      ;;
  esac
  case "$state" in
    gui-minimised)
      sleep 1
      xdotool windowminimize "$window"
      wait_for 5 in_state "$window" Iconic || { echo "idle-cpu: $state: not minimised" >&2; return 1; }
      ;;
    gui-tray)
      sleep 1
      wmctrl -i -c "$window"
      if ! wait_for 5 in_state "$window" Withdrawn; then
        echo "idle-cpu: $state: the window did not go to the tray (state: $(window_state "$window"))" >&2
        return 1
      fi
      ;;
  esac
  kill -0 "$target" 2>/dev/null || { echo "idle-cpu: $state: the process ended:" >&2; tail -5 "$run/out.log" >&2; return 1; }
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "idle CPU, % of one core: median of $runs runs of ${seconds} s, ${settle} s after the state is reached ($(basename "$build"))"
printf '%-14s %8s %8s  %-4s  %s\n' state median goal "" runs
failed=0
started="$(date +%s)"
for s in "${states[@]}"; do
  IFS='|' read -r name goal text <<<"$s"
  if [ -n "$only" ] && [[ ",$only," != *",$name,"* ]]; then continue; fi
  values=()
  for i in $(seq 1 "$runs"); do
    run="$work/$name-$i"
    mkdir -p "$run"
    if start_state "$name"; then
      sleep "$settle"
      if value="$(measure "$target")"; then values+=("$value"); fi
    fi
    stop_pid "$target"
    target=""
    rm -rf "$run"
  done
  if [ ${#values[@]} -eq 0 ]; then
    printf '%-14s %8s %8s  %-4s  %s\n' "$name" "-" "$goal" "FAIL" "no run reached the state"
    failed=1
    continue
  fi
  m="$(printf '%s\n' "${values[@]}" | median)"
  verdict="$(awk -v m="$m" -v g="$goal" 'BEGIN { print (m <= g) ? "ok" : "over" }')"
  printf '%-14s %8.3f %8s  %-4s  %s\n' "$name" "$m" "<= $goal" "$verdict" "${values[*]}"
done
echo "($(($(date +%s) - started)) s)"
exit "$failed"
