#!/usr/bin/env bash
# Set-up's decisions on a registry's bad days, with stand-ins for apt-get and dpkg on the PATH:
# each case says how the registry behaves and what set-up must end with.
set -uo pipefail
SETUP=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
BIN=$WORK/bin
mkdir -p "$BIN"

# State: $WORK/installed lists installed packages; $WORK/calls records apt-get's calls.
cat >"$BIN/apt-get" <<'SH'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STATE/calls"
if [ "$1" = update ]; then
  n=$(cat "$STATE/update-failures" 2>/dev/null || echo 0)
  [ "$n" = always ] && exit 100
  [ "$n" -gt 0 ] && { echo $((n - 1)) >"$STATE/update-failures"; exit 100; }
  exit 0
fi
shift
pkgs=()
for a in "$@"; do [[ $a == -* ]] || pkgs+=("$a"); done
for p in "${pkgs[@]}"; do
  grep -qxF "$p" "$STATE/unavailable" 2>/dev/null && { echo "E: held broken packages ($p)"; exit 100; }
done
printf '%s\n' "${pkgs[@]}" >>"$STATE/installed"
SH
cat >"$BIN/dpkg-query" <<'SH'
#!/usr/bin/env bash
grep -qxF "${!#}" "$STATE/installed" 2>/dev/null && printf 'install ok installed' && exit 0
exit 1
SH
printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n' >"$BIN/dpkg"
printf '#!/bin/sh\necho ja_JP.utf8\n' >"$BIN/locale"
printf '#!/bin/sh\nexec "$@"\n' >"$BIN/sudo"
chmod +x "$BIN"/*

all_packages() { bash "$SETUP" --packages; }

failed=0
passed=0
# name | installed before | index failures | unavailable | expected exit | expected output | apt-get calls
run_case() {
  local name=$1 before=$2 failures=$3 unavailable=$4 want_rc=$5 want_text=$6 want_calls=$7
  export STATE=$WORK/$name
  mkdir -p "$STATE"
  case $before in
    all) all_packages >"$STATE/installed" ;;
    all-but-wine32) all_packages | grep -v wine32 >"$STATE/installed" ;;
    none) : >"$STATE/installed" ;;
  esac
  echo "$failures" >"$STATE/update-failures"
  [ "$name" = wine32-refused-today ] && touch "$STATE/wine32-refused"
  printf '%s\n' $unavailable >"$STATE/unavailable"
  local out rc
  out=$(PATH="$BIN:$PATH" RENOVO_SETUP_PAUSE=0 RENOVO_SETUP_RETRIES=3 \
        RENOVO_SETUP_STAMP="$STATE/wine32-refused" bash "$SETUP" 2>&1)
  rc=$?
  local calls
  touch "$STATE/calls"
  calls=$(wc -l <"$STATE/calls")
  local why=""
  [ "$rc" -eq "$want_rc" ] || why+=" exit $rc, not $want_rc;"
  grep -qF -- "$want_text" <<<"$out" || why+=" no line '$want_text';"
  [ "$calls" -eq "$want_calls" ] || why+=" $calls apt-get calls, not $want_calls;"
  if [ "$want_rc" -eq 0 ]; then
    local p
    for p in $(all_packages | grep -v wine32); do
      grep -qxF "$p" "$STATE/installed" || { why+=" $p not installed;"; break; }
    done
  fi
  if [ -n "$why" ]; then
    echo "FAIL $name:$why"
    sed 's/^/    /' <<<"$out"
    failed=$((failed + 1))
  else
    echo "ok   $name"
    passed=$((passed + 1))
  fi
}

run_case ready                    all            0      ""                 0 "setup: ready" 0
run_case fresh                    none           0      ""                 0 "setup: ready" 3
run_case index-mid-sync-recovers  none           2      ""                 0 "trying again" 5
run_case index-never-comes        none           always ""                 0 "going on with the lists that did" 5
run_case no-i386-twin             none           always "wine32:i386"      0 "the x86_64 build will be tested" 5
run_case no-wine32-later-run      all-but-wine32 0      "wine32:i386"      0 "the x86_64 build will be tested" 1
run_case wine32-refused-today     all-but-wine32 0      ""                 0 "the x86_64 build will be tested" 0
run_case compiler-missing         none           always "g++-mingw-w64-i686-win32" 1 "setup: failed: cannot install" 4
run_case compiler-missing-no-ready none          0      "cmake"            1 "building and testing need them" 2

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
