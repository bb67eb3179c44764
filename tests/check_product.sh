#!/usr/bin/env bash
# The 32-bit product as a player on Windows loads it: a PE32 i386 library whose
# export directory is named vis_dravik.dll, with exactly one export,
# winampVisGetHeader at ordinal 1, importing from system libraries only.
set -euo pipefail
dll="$1"
dump="$(i686-w64-mingw32-objdump -p "$dll")"
fail() { echo "FAIL: $*"; exit 1; }

i686-w64-mingw32-objdump -f "$dll" | grep -q 'file format pei-i386' || fail "not a PE32 i386 image"
grep -q '^Magic[[:space:]]*010b' <<<"$dump" || fail "optional header is not PE32"
grep -q '^Name[[:space:]].*vis_dravik\.dll' <<<"$dump" || fail "export directory is not named vis_dravik.dll"

exports="$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | grep -E '^\s+\[' || true)"
addresses="$(sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' <<<"$dump" | grep -E '^\s+\[' || true)"
[ "$(wc -l <<<"$addresses")" = 1 ] || fail "expected exactly one exported address, got: $addresses"
grep -Eq '\+base\[\s*1\]' <<<"$addresses" || fail "the export is not ordinal 1: $addresses"
[ "$(wc -l <<<"$exports")" = 1 ] || fail "expected exactly one export, got: $exports"
grep -Eq '^\s*\[\s*0\] winampVisGetHeader$' <<<"$exports" || fail "the export is not winampVisGetHeader: $exports"

allowed='^(KERNEL32|USER32|GDI32|OPENGL32|GLU32|msvcrt)\.dll$'
imports="$(grep 'DLL Name:' <<<"$dump" | awk '{print $3}')"
for lib in $imports; do
    grep -Eiq "$allowed" <<<"$lib" || fail "imports from $lib, which is not a system library"
done
echo "PASS: $dll: PE32 i386, one export winampVisGetHeader @1, imports: $(echo $imports)"
