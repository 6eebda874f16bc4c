#!/usr/bin/env bash
# Redraws the sample skin pictures under assets/FotoMark, the program icon assets/ThermoBadge.png
# and the desktop icons under packaging/icons/hicolor with the skin generator.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target thermobadge-skingen
QT_QPA_PLATFORM=offscreen build/tools/skingen/thermobadge-skingen assets packaging/icons
