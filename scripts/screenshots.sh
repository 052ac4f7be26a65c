#!/usr/bin/env bash
# Builds the program folder and the UI script driver in release mode, plays one visit with
# the driver and keeps a picture of each screen, and of the page of the battery sheet it
# prints, in docs/screenshots/ for the README.
# CATALOG_BUILD_DIR names another build folder to use as it is configured.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
build=${CATALOG_BUILD_DIR:-$here/build}
if [ "$build" = "$here/build" ] || [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCATALOG_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target catalogue-script catalogue_demo_db pictures shop-data -j"$(nproc)"

out="$here/docs/screenshots"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A shop of two branches, Centro at this counter, with the till's stock imported, so the
# information strip shows the battery's stock line; the driver's program reads these
# settings and this store, never the user's.
mkdir -p "$work/config/dazozizizavuv"
printf '[shop]\ndatabase=%s\nbranch=Centro\n' "$work/shop.sqlite" >"$work/config/dazozizizavuv/dazozizizavuv.conf"
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/none" XDG_DATA_HOME="$work/data"
printf 'codice;giacenza;prezzo;ubicazione\nKS060;3;89,00;B4\nKS062;1;95,50;B5\nKP074;6;118,00;C2\n' >"$work/centro.csv"
printf 'codice;giacenza\nKS060;2\nKS062;4\n' >"$work/nord.csv"
CATALOG_CACHE_DIR="$work/cache" "$build/tools/shop-data/shop-data" import-stock "$work/centro.csv" \
  --catalogue "$build/app/db/vc_korva.mdb" >/dev/null
CATALOG_CACHE_DIR="$work/cache" "$build/tools/shop-data/shop-data" import-stock "$work/nord.csv" \
  --branch "Filiale Nord" --catalogue "$build/app/db/vc_korva.mdb" >/dev/null

# The capacity search lists every 60 Ah battery and ends in applications mode; the mode is
# then left and entered again for the first battery of the fifth make, which fits vehicles
# of many makes. Last, with the mode left, the search box with its list open for a model
# name, and the replacement finder on the battery shown. Then the technology guard's lines
# in the header band for a start-stop vehicle (Alvena Volano 2.0 D Start&Stop).
cat >"$work/visit.txt" <<STEPS
screenshot $work/brand-screen.png
click ImageKorva
screenshot $work/catalogue.png
screenshot $work/stock-window.png
type EditCapacita 60
type EditScarica
type EditPolarita
click VrBitmapButton2
screenshot $work/search.png
click VrBitmapButtonApplicazioni
click-cell gridMarca 5
click VrBitmapButtonApplicazioni
screenshot $work/applications.png
print $work/battery-sheet.pdf
click VrBitmapButtonZoom
screenshot $work/zoom.png
click ZoomFoto
click VrBitmapButtonApplicazioni
type EditTrova arno
screenshot $work/quick-find.png
key gridMarca Ctrl+R
key GridSostituzione Down
screenshot $work/replacement.png
click ButtonSostChiudi
type EditTrova
click-cell gridModello 3
click-cell gridVersione 4
screenshot $work/technology.png
STEPS
QT_QPA_PLATFORM=offscreen CATALOG_CACHE_DIR="$work/cache" \
  "$build/tools/catalogue-script/catalogue-script" "$build/app" "$work/visit.txt" >/dev/null

# A fit report filed on the first vehicle's first battery: the report window as the
# counter sends it, the strip's line it leaves, and the list of reports. The store is the
# scratch one above.
cat >"$work/reports.txt" <<STEPS
click ImageKorva
key gridMarca F9
select ComboMotivo Non monta su questo veicolo
type EditCommento il cofano non chiude: la staffa tocca il filtro dell'aria
type EditOperatore Marco
screenshot $work/report-window.png
click ButtonInvia
screenshot $work/report-line-window.png
key gridMarca Shift+F9
screenshot $work/report-list.png
click ButtonChiudi
STEPS
QT_QPA_PLATFORM=offscreen CATALOG_CACHE_DIR="$work/cache" \
  "$build/tools/catalogue-script/catalogue-script" "$build/app" "$work/reports.txt" >/dev/null
convert "$work/report-line-window.png" -crop 1023x262+0+0 +repage "$work/report-line.png"
rm "$work/report-line-window.png"

# The header band and the battery list: the stock line of the battery shown.
convert "$work/stock-window.png" -crop 1023x262+0+0 +repage "$work/stock.png"
rm "$work/stock-window.png"

# The battery sheet of the same battery, as a picture of its PDF page.
pdftoppm -r 80 -png -singlefile "$work/battery-sheet.pdf" "$work/battery-sheet"

# Lossy palette reduction keeps the pictures at about a third of their size with no visible change.
for shot in "$work"/*.png; do
  pngquant --quality 70-95 --speed 1 --strip --force -o "$out/$(basename "$shot")" "$shot"
done
ls -l "$out"
