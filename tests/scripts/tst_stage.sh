#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Staging again over a used portable folder: the fresh programs replace the old ones, a shipped file the
# user edited and the user's own files stay exactly as they are, and a shipped file that went missing
# comes back.
set -euo pipefail
source_dir=${1:?source folder}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Stand-ins for the built programs: staging only copies them.
mkdir -p "$work/build/agenda" "$work/build/calculator"
echo "agenda 1" >"$work/build/agenda/quindara"
echo "calculadora 1" >"$work/build/calculator/tallimo"
portable="$work/Quindara"
"$source_dir/scripts/stage" "$work/build" "$portable" >/dev/null

edited=tallimo/configuracion/moneda.txt
restored=tallimo/configuracion/ayuda.txt
[[ -f "$portable/$edited" && -f "$portable/$restored" ]] || { echo "shipped files were not staged"; exit 1; }
printf 'mi moneda\r\n' >"$portable/$edited"
printf 'nota del usuario' >"$portable/dias/LUNES, 3 de ENERO de 2011.txt"
rm "$portable/$restored"
echo "agenda 2" >"$work/build/agenda/quindara"

"$source_dir/scripts/stage" "$work/build" "$portable" >/dev/null

fail() { echo "$1"; exit 1; }
[[ "$(cat "$portable/$edited")" == $'mi moneda\r' ]] || fail "the user's edited $edited was overwritten"
[[ "$(cat "$portable/dias/LUNES, 3 de ENERO de 2011.txt")" == "nota del usuario" ]] || fail "a user's note changed"
cmp -s "$source_dir/data/$restored" "$portable/$restored" || fail "the missing $restored was not staged again"
[[ "$(cat "$portable/quindara")" == "agenda 2" ]] || fail "the fresh program was not staged"
echo "stage keeps the user's files"
