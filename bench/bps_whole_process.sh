#!/usr/bin/env bash
# Whole-process BPS figures on the generated perf pairs, side by side with `cat` and, when
# given, another build's tarvello-cli (today's, for before/after):
#   bash bench/bps_whole_process.sh PERFDIR [OTHER_CLI]
# PERFDIR holds p16a/p16b.gba, tra/trb.gba and rom32.gba (python3 gen.py PERFDIR &&
# python3 gen_pairs.py PERFDIR). Needs hyperfine; prints patch sizes, medians (ms) and the
# peak memory of making the translation patch. Runs alternate, so a busy machine loads
# every command alike.
set -euo pipefail
dir=$(cd "$1" && pwd)
other=${2:-}
cli=$(cd "$(dirname "$0")/.." && pwd)/build/tarvello-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$dir"
head -c 4096 p16a.gba >"$work/ins.gba"
printf 'Q' >>"$work/ins.gba"
tail -c +4097 p16a.gba >>"$work/ins.gba"

median() { # COMMAND... : hyperfine's median and CPU (user + system) in ms
  hyperfine -N -w 3 -r "${RUNS:-30}" --export-json "$work/h.json" "$@" >/dev/null
  python3 -c "
import json
for r in json.load(open('$work/h.json'))['results']:
    print('  %-100s median %7.1f ms  cpu %6.1f ms' % (r['command'][:100], r['median'] * 1000, (r['user'] + r['system']) * 1000))"
}
bps() { "$1" --set OutputBPSFileName="$work/$2.bps" "CompareRomsToBps:$3,$4" >/dev/null; stat -c %s "$work/$2.bps"; }

for c in "$cli" ${other:+"$other"}; do
  echo "== $c"
  echo "patch sizes: tr $(bps "$c" tr tra.gba trb.gba) B, p16 $(bps "$c" p16 p16a.gba p16b.gba) B," \
    "one byte inserted at 0x1000 of p16a $(bps "$c" ins p16a.gba "$work/ins.gba") B"
  /usr/bin/time -f "tr patch: %e s wall, %U s user, %S s system, peak %M KB" \
    "$c" --set OutputBPSFileName="$work/t.bps" CompareRomsToBps:tra.gba,trb.gba >/dev/null
done

echo "== making patches (tr, p16) and cat of the two files"
median "cat tra.gba trb.gba" "$cli --set OutputBPSFileName=$work/t.bps CompareRomsToBps:tra.gba,trb.gba" \
  ${other:+"$other --set OutputBPSFileName=$work/o.bps CompareRomsToBps:tra.gba,trb.gba"}
median "cat p16a.gba p16b.gba" "$cli --set OutputBPSFileName=$work/t.bps CompareRomsToBps:p16a.gba,p16b.gba" \
  ${other:+"$other --set OutputBPSFileName=$work/o.bps CompareRomsToBps:p16a.gba,p16b.gba"}

echo "== applying the same edits as IPS and as BPS"
"$cli" --set OutputIPSFileName="$work/p16.ips" CompareRomsToIps:p16a.gba,p16b.gba >/dev/null
bps "$cli" p16 p16a.gba p16b.gba >/dev/null
median "$cli --set InputRomFileName=p16a.gba --set IPSFileName=$work/p16.ips --set OutputRomFileName=$work/o1.gba LoadRom LoadIps ApplyIps SaveRom" \
  "$cli --set InputRomFileName=p16a.gba --set BPSFileName=$work/p16.bps --set OutputRomFileName=$work/o2.gba LoadRom ApplyBps SaveRom"
cmp "$work/o1.gba" p16b.gba && cmp "$work/o2.gba" p16b.gba

echo "== LoadRom of 32 MiB"
median "cat rom32.gba" "$cli --set InputRomFileName=rom32.gba LoadRom" \
  ${other:+"$other --set InputRomFileName=rom32.gba LoadRom"}
