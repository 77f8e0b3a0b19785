#!/usr/bin/env bash
# Renders veltra.svg into the PNG sizes that the window and the desktop use. Needs
# rsvg-convert (Debian package librsvg2-bin); run it after changing the artwork and commit
# the PNGs, so that building needs no renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" veltra.svg -o "veltra-$size.png"
done
