#!/bin/sh
# Regenerates the program's two pictures with ImageMagick 6, and the desktop's icons from
# the scalable drawing data/desktop/icons/korvant.svg (the same radio as the program
# icon) with rsvg-convert (Debian package librsvg2-bin). The results are committed; run
# this only to change them, from the repository root:  sh tools/make-pictures.sh
set -eu
out_icon=src/app/resources/korvant.png
out_banner=data/Dornel/stationbanner.jpg

# Program and tray icon: a radio with antenna, speaker grille and tuning dial, 64x64 with
# alpha. Bold shapes and a dark outline keep it readable when scaled to 16-24 px.
convert -size 64x64 xc:none \
  -stroke '#2b2b2b' -strokewidth 3 -draw 'line 20,20 44,4' \
  -fill '#2b2b2b' -stroke none -draw 'circle 44,4 47,4' \
  -fill '#d9480f' -stroke '#3a1405' -strokewidth 2 -draw 'roundrectangle 4,20 59,58 7,7' \
  -fill '#fff4e6' -stroke '#3a1405' -strokewidth 2 -draw 'circle 22,39 22,27' \
  -fill '#3a1405' -stroke none \
  -draw 'circle 22,39 22,36' -draw 'circle 16,39 16,37.5' -draw 'circle 28,39 28,37.5' \
  -draw 'circle 22,33 23.5,33' -draw 'circle 22,45 23.5,45' \
  -fill '#ffd43b' -stroke '#3a1405' -strokewidth 2 -draw 'roundrectangle 37,27 54,35 2,2' \
  -stroke '#3a1405' -strokewidth 2 -draw 'line 45,28 45,34' \
  -fill '#fff4e6' -stroke '#3a1405' -strokewidth 2 -draw 'circle 46,47 46,42' \
  -strip -define png:compression-level=9 "PNG32:$out_icon"

# Main window banner, 601x53: the program name over a deep blue-to-teal gradient.
convert -size 53x601 gradient:'#0b1d3a-#0f6e74' -rotate -90 \
  -font DejaVu-Sans-Bold -pointsize 30 -fill '#00000066' -annotate +19+38 'Korvant Lite' \
  -fill '#f8f3e6' -annotate +17+36 'Korvant Lite' \
  -font DejaVu-Sans -pointsize 13 -fill '#bfe3e0' -gravity east -annotate +16+0 'internet radio' \
  -strip -sampling-factor 4:2:0 -quality 85 "$out_banner"

# The desktop's icons: the launcher's and the menu's, at the theme's usual sizes.
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" data/desktop/icons/korvant.svg \
    -o "data/desktop/icons/korvant-$size.png"
done
