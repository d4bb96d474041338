#!/usr/bin/env bash
# kill -9 at random moments of 32 MiB ROM saves through tarvello-cli, in each save mode,
# and checks after every kill that nothing was lost:
#   - the target holds the whole old image or the whole new one;
#   - with backups, a save that got through left the old image as the backup, one that
#     did not left the backup as it was (or already the old image);
#   - with stamped names, the old file is untouched and every stamped file is whole;
#   - no hidden temporary file of a killed save is left once the next save has run.
# Usage: bash scripts/kill-saves.sh [RUNS_PER_MODE (20)] [TARVELLO_CLI (build/tarvello-cli)]
set -euo pipefail

runs=${1:-20}
cli=$(realpath "${2:-build/tarvello-cli}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

size=$((32 << 20))
head -c "$size" /dev/urandom >a.gb
head -c "$size" /dev/urandom >b.gb
head -c "$size" /dev/urandom >c.gb

same() { cmp -s "$1" "$2"; }
which_image() {
  for x in a b c; do
    if same "$1" "$x.gb"; then echo "$x"; return; fi
  done
  echo "broken"
}
hidden() { find . -maxdepth 1 -name '.*tarvello-*' | wc -l; }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# One save of image $1 to out/rom.gb in mode $2, killed after $3 microseconds.
killed_save() {
  local overwrite=YES bak=YES
  case $2 in
    nobak) bak=NO ;;
    stamp) overwrite=NO ;;
  esac
  "$cli" --set InputRomFileName="$1.gb" LoadRom --set OutputRomFileName=out/rom.gb \
    --set OverwriteOldFile=$overwrite --set MakeBAKFiles=$bak SaveRom >/dev/null 2>&1 &
  local pid=$!
  sleep "$(printf '0.%06d' "$3")"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

printf '%-6s %5s %9s %9s %13s\n' mode runs "old kept" "new in" "temp left"
for mode in bak nobak stamp; do
  rm -rf out && mkdir out
  cp a.gb out/rom.gb
  current=a backup=none kept=0 replaced=0 leftovers=0
  for ((run = 0; run < runs; run++)); do
    next=$(for x in a b c; do if [ "$x" != "$current" ]; then echo "$x"; fi; done | shuf -n 1)
    # Loading 32 MiB takes some tens of milliseconds, writing and syncing it more: the
    # kills land before, during and after the write.
    killed_save "$next" "$mode" $((RANDOM * 12))
    now=$(which_image out/rom.gb)
    if [ "$mode" = stamp ]; then
      [ "$now" = a ] || fail "$mode run $run: the old file changed ($now)"
      for f in out/*_rom.gb; do
        [ -e "$f" ] || continue
        [ "$(which_image "$f")" != broken ] || fail "$mode run $run: $f is not a whole image"
        rm -f "$f"
        replaced=$((replaced + 1))
      done
      kept=$((kept + 1))
    else
      [ "$now" = "$current" ] || [ "$now" = "$next" ] || fail "$mode run $run: target is $now"
      if [ "$mode" = bak ]; then
        got=$( [ -e out/rom.bak ] && which_image out/rom.bak || echo none)
        if [ "$now" = "$next" ]; then
          [ "$got" = "$current" ] || fail "$mode run $run: backup is $got, not the old $current"
        else
          [ "$got" = "$backup" ] || [ "$got" = "$current" ] || fail "$mode run $run: backup is $got"
        fi
        backup=$got
      fi
      if [ "$now" = "$next" ]; then replaced=$((replaced + 1)); else kept=$((kept + 1)); fi
      current=$now
    fi
    n=$(cd out && hidden)
    leftovers=$((leftovers + n))
  done
  # The next save of the same file removes what a killed one may have left.
  "$cli" --set InputRomFileName=$current.gb LoadRom --set OutputRomFileName=out/rom.gb SaveRom >/dev/null
  [ "$(cd out && hidden)" = 0 ] || fail "$mode: temporary files left after the next save"
  printf '%-6s %5d %9d %9d %13d\n' "$mode" "$runs" "$kept" "$replaced" "$leftovers"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "no file lost"
