#!/usr/bin/env bash
# Runs two builds of twinscript-cli on the same inputs and says where their exit
# status, log (standard error) or written bytes differ: a check that a change of
# toolkit or compiler changed nothing a user can see.
# Usage: tests/compare_builds.sh OLD_CLI NEW_CLI [FILE_OR_DIR...]
# Without files: every fixture in tests/data and every fuzz seed in tests/fuzz/corpus.
# Each input is converted to every output format, read and written in each coding
# the selectors offer, merged with a fixed partner (as upper and as lower, with
# automatic links and synchronization) and synchronized onto it.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { echo "usage: $0 OLD_CLI NEW_CLI [FILE_OR_DIR...]" >&2; exit 2; }
old=$(realpath "$1") new=$(realpath "$2")
shift 2
[ $# -gt 0 ] || set -- "$here/data" "$here/fuzz/corpus"
mapfile -t inputs < <(find "$@" -type f | sort)
mapfile -t codings < <(sed -n 's/^ *QStringLiteral("\(.*\)"),$/\1/p' "$here/../src/core/codinglist.cpp" | sort -u)
partner="$here/data/pair_lower.srt"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/old" "$work/new"

runs=0 differing=0
# Runs one command line in both builds, each in its own directory so that the
# output names (which the log shows) are the same.
compare() {
    local out=$1
    shift
    local side
    for side in old new; do
        local cli=${!side}
        (cd "$work/$side" && rm -f "$out" && "$cli" "$@" >stdout 2>stderr; echo $? >status)
    done
    runs=$((runs + 1))
    local what
    for what in status stdout stderr "$out"; do
        if [ -e "$work/old/$what" ] || [ -e "$work/new/$what" ] && ! cmp -s "$work/old/$what" "$work/new/$what"; then
            differing=$((differing + 1))
            echo "DIFFERS ($what): twinscript-cli $*"
            diff <(cat -A "$work/old/$what" 2>/dev/null | head -20) <(cat -A "$work/new/$what" 2>/dev/null | head -20) | head -12
            return
        fi
    done
}

compare - --help
compare - --version
compare out.srt convert
compare out.srt convert "$partner" out.srt --coding "No Such Coding"
for f in "${inputs[@]}"; do
    compare out.srt convert "$f" out.srt --fps 25
    compare out.sub convert "$f" out.sub --out-fps 25 --strip round,square,curly,angle
    compare out.ass convert "$f" out.ass --shift 1.5
    for c in "${codings[@]}" "Auto Local"; do
        compare out.txt convert "$f" out.txt --coding "$c" --out-coding "$c"
    done
    compare merged.srt merge "$f" "$partner" merged.srt --colors --upper-color ffff00 --join-lines --last-line dot
    compare merged.sub merge "$f" "$partner" merged.sub --cps 12 --gap 200 --out-coding UTF-16
    compare merged.ass merge "$partner" "$f" merged.ass --upper-position top --lower-strip round
    compare merged.srt merge "$partner" "$f" merged.srt --auto-link --sync lower --lower-coding "Windows-1250"
    compare synced.srt sync "$partner" "$f" synced.srt --auto-link
done
echo "$runs command lines on ${#inputs[@]} inputs, $differing differing"
[ "$differing" -eq 0 ]
