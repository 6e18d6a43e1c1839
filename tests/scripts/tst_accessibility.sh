#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Both programs as a screen reader reads them: each runs on its own X server and D-Bus session with Qt's
# accessibility bridge on, and atspi_names.py walks what AT-SPI publishes of every page and window. It
# fails naming each control that has no name, and checks the names of a day button and of the page tabs.
# Bounded in time: every step has a timeout, and everything started here is stopped on the way out.
set -euo pipefail
quindara=${1:?path of the built quindara}
tallimo=${2:?path of the built tallimo}
here=$(cd "$(dirname "$0")" && pwd)

# The tools are part of the build dependencies (scripts/install-deps): missing ones fail the test.
missing=()
for tool in Xvfb dbus-run-session timeout; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
bus_launcher=""
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher \
                 /usr/lib/at-spi2/at-spi-bus-launcher; do
  [[ -x "$candidate" ]] && bus_launcher=$candidate && break
done
[[ -n "$bus_launcher" ]] || missing+=("at-spi2-core (at-spi-bus-launcher)")
# pyatspi is a Debian package for the system's Python, which another python3 on the PATH may not see.
python=""
for candidate in /usr/bin/python3 python3; do
  if command -v "$candidate" >/dev/null 2>&1 && "$candidate" -c 'import pyatspi' >/dev/null 2>&1; then
    python=$candidate
    break
  fi
done
[[ -n "$python" ]] || missing+=("python3-pyatspi")
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "FAIL: the accessibility test needs: ${missing[*]} (run scripts/install-deps)"
  exit 1
fi

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display number picked at random far above the usual ones, so that servers other tests start at the
# same moment (the low numbers first) do not take the same one; Xvfb writes the number once it is ready.
# No reset when the last client leaves: the accessibility bus's launcher is a client that comes and goes,
# and a program connecting during a reset is turned away.
display=""
for _ in 1 2 3 4 5; do
  candidate=$((2000 + RANDOM % 30000))
  [[ -e "/tmp/.X$candidate-lock" || -e "/tmp/.X11-unix/X$candidate" ]] && continue
  Xvfb ":$candidate" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [[ -s "$work/display" ]] && kill -0 "$xvfb_pid" 2>/dev/null; then
    display=$candidate
    break
  fi
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
[[ -n "$display" ]] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
unset QT_ACCESSIBILITY_DISABLED SESSION_MANAGER
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

# Runs the walker on one program, on a D-Bus session of its own with its own accessibility bus.
read_program() {
  local result=0
  timeout -k 5 150 dbus-run-session -- "$python" "$here/atspi_names.py" "$@" >"$work/walk.log" 2>&1 || result=$?
  grep -v -e 'Failed to set fd limit' -e 'Activating service name' -e 'Successfully activated service' \
    -e 'SpiRegistry daemon is running' -e 'no installed share folder' "$work/walk.log" || true
  [[ $result -eq 124 || $result -eq 137 ]] && echo "FAIL: reading $1 $2 took too long"
  return $result
}

status=0
# The agenda opens on today's month: today gets a holiday and a yearly reminder, which its button names.
months=(ENERO FEBRERO MARZO ABRIL MAYO JUNIO JULIO AGOSTO SEPTIEMBRE OCTUBRE NOVIEMBRE DICIEMBRE)
weekdays=(lunes martes miércoles jueves viernes sábado domingo)
read -r day month weekday <<<"$(date +'%-d %-m %u')"
month_name=${months[month - 1]}
day_name="${weekdays[weekday - 1]} $day de ${month_name,,}"
folder="$work/agenda"
mkdir -p "$folder/fiestas" "$folder/recordatorio"
printf 'Fiesta de prueba\r\n' >"$folder/fiestas/$day de $month_name.txt"
printf 'Llamar a Ana\r\n' >"$folder/recordatorio/$day de $month_name.txt"
read_program --label quindara \
  --page Semana --page "Resumen del mes" --page "Resumen del año" --page "Bloc de notas" \
  --page Direcciones --page "Buscar" --page "Importar / Exportar" --page "Sin conexión con el servidor" \
  --page "Día" --press "Ver el año completo" \
  --expect "push button=$day_name, festivo: Fiesta de prueba, recordatorio de todos los años" \
  --expect "push button=Día" --expect "push button=Semana" --expect "push button=Resumen del mes" \
  --expect "push button=Resumen del año" --expect "text=Nota del día" --expect "push button=Guardar el festivo" \
  -- "$quindara" --folder "$folder" || status=1

# Two rows on the tape, then the log is written and the saved logs window opens over the calculator.
read_program --label tallimo --press "1" --press "Suma" --press "2" --press "Resta" \
  --press "Guardar el registro de operaciones" \
  --expect "check box=Fila 1, operación suma" --expect "check box=Fila 2, operación resta" \
  --expect "text=Fila 1, valor" --expect "list=Operaciones guardadas" \
  -- "$tallimo" --folder "$work/tallimo" || status=1
exit $status
