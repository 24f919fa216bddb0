#!/usr/bin/env bash
# Runs every ivractl verb against the simulated keyboard with --debug and
# writes what each printed (stderr: the debug lines with every frame sent and
# received; stdout; the exit status) to one file per step in OUT_DIR.
# Two recordings of different builds compare with `diff -r`, which shows
# whether a change of structure changed anything the devices see.
#
#   scripts/record-frames.sh BUILD_DIR OUT_DIR
#
# The timed verbs (device watch, light stream) are recorded as their sorted
# distinct lines: how many frames a stream sends in a given time is not fixed.
set -euo pipefail
build="${1:?usage: record-frames.sh BUILD_DIR OUT_DIR}"
out="${2:?usage: record-frames.sh BUILD_DIR OUT_DIR}"
here="$(cd "$(dirname "$0")/.." && pwd)"
ivractl="$(cd "$build" && pwd)/bin/ivractl"
[ -x "$ivractl" ] || { echo "no ivractl in $build/bin" >&2; exit 2; }

# Private folders, so that two recordings can run at once; the outputs name
# them by fixed paths, so that recordings made anywhere compare.
base="$(mktemp -d)"
trap 'rm -rf "$base"' EXIT
data="$base/data"
work="$base/work"
rm -rf "$out"
mkdir -p "$data" "$work" "$out"
cp "$here/tests/fixtures/hid-descriptors/"*.hex "$work/" 2>/dev/null || true
descriptor="$(ls "$work"/*.hex 2>/dev/null | head -n 1 || true)"
cat >"$work/one.mac" <<'EOF'
{"Events":[{"Type":1,"Code":30,"Delay":10},{"Type":2,"Code":30,"Delay":10}]}
EOF

step=0
run() {  # run [--timed] ARGS...: one ivractl step
    local timed=0
    if [ "$1" = "--timed" ]; then timed=1; shift; fi
    step=$((step + 1))
    local shown="${*//$base\/data//tmp/ivra-record-frames-data}"
    shown="${shown//$base\/work//tmp/ivra-record-frames-work}"
    local name
    name="$(printf '%03d' "$step")-$(echo "$shown" | tr -c 'A-Za-z0-9_\n-' '_' | cut -c1-60)"
    local file="$out/$name.txt"
    local rc=0
    (cd "$work" && "$ivractl" --simulate keyboard --data-dir "$data" --debug "$@" \
        >"$file.stdout" 2>"$file.stderr") || rc=$?
    # Macro ids carry the time they were made.
    sed -i -E 's/[0-9]{4}(_[0-9]{2}){5}_[0-9]{3}/TIME/g' "$file.stdout" "$file.stderr"
    sed -i -e "s|$base/data|/tmp/ivra-record-frames-data|g; s|$base/work|/tmp/ivra-record-frames-work|g" \
        "$file.stdout" "$file.stderr"
    {
        echo "\$ ivractl $shown"
        echo "exit $rc"
        echo "--- stderr"
        if [ "$timed" = 1 ]; then sed -E 's/^\[ *[0-9]+ ms\]//' "$file.stderr" | sort -u; else cat "$file.stderr"; fi
        echo "--- stdout"
        if [ "$timed" = 1 ]; then sed -E 's/^\[ *[0-9]+ ms\]//; s/[0-9]+/N/g' "$file.stdout" | sort -u; else cat "$file.stdout"; fi
    } >"$file"
    rm -f "$file.stdout" "$file.stderr"
}

[ -n "$descriptor" ] && run hid parse "$(basename "$descriptor")"
run device list
run device info
run device sync
run device readback
run --timed device watch --for-ms 600
run --timed device watch --lights --for-ms 600
run light show
run light set --effect 3 --brightness 2 --speed 1 --direction 1 --multicolour 0 --colour 12ab34 --preset 1
run light set --group 2
run light show
run light preview --frames 3
run light preview --frames 2 --effect 5
run --timed light stream --for-ms 400
run --timed light stream --effect 1 --for-ms 400
run settings show
run settings set --repeat 30 --delay 2 --winlock 1 --wflag 1 --key6 1 --rate 2
run settings show
run key name 100100
run key decode 1052928
run key encode 0x100100
run key show
run key set 5 100100
run key default 5
run key set 7 0a0102
run profile list
run profile add
run profile copy
run profile select 1
run profile rename Second
run profile list
run profile export "$work/exported.Json"
run profile import "$work/exported.Json"
run profile reset
run profile delete
run profile list
run macro list
run macro add
run macro rename 0 First
run macro import "$work/one.mac"
run macro list
run macro show 1
run macro export 1 "$work/macro-out.mac"
run key set 9 "$(printf '%02x%02x%02x' 0x30 0 1)"
run macro write
run macro delete 0
run macro list
run key show
run --kind mouse profile list
run --kind mouse macro list
run --kind keyboard_7210 device sync
echo "$step steps recorded in $out"
