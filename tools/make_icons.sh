#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Rewrites the PNG sizes of the window's icon from data/icons/wagebook.svg (needs
# rsvg-convert, Debian package librsvg2-bin).
set -euo pipefail
icons="$(cd "$(dirname "$0")/.." && pwd)/data/icons"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$icons/wagebook.svg" -o "$icons/wagebook-$size.png"
done
