#!/bin/sh
# Remakes the three preset logos beside this script: 160x48, 24-bit BMP, white background.
# Pure white is see-through when a logo is stamped, so each logo is drawn smooth and then
# snapped to its own few colours: a soft edge would leave a pale halo around the lettering.
# Needs ImageMagick's convert and the IPA gothic and DejaVu fonts.
set -eu
cd "$(dirname "$0")"

# make_logo OUT "COLOUR..." DRAWING...: draws on white, keeps only white and COLOUR...,
# and writes a plain 24-bit BMP.
make_logo() {
  out=$1
  palette=""
  for colour in $2; do palette="$palette xc:$colour"; done
  shift 2
  # shellcheck disable=SC2086  # the palette is a list of words on purpose
  convert -size 160x48 xc:white "$@" \
    \( -size 1x1 xc:white $palette +append -write mpr:palette +delete \) \
    +dither -remap mpr:palette \
    -alpha off -type TrueColor -define bmp:format=bmp3 "BMP3:$out"
}

red='#D01818'
blue='#1844A8'
yellow='#FFE020'
green='#168A3A'
orange='#F07800'

# "SALE" in red inside a red frame.
make_logo logo1.bmp "$red" \
  -fill none -stroke "$red" -strokewidth 4 -draw 'roundrectangle 3,3 156,44 8,8' \
  -stroke none -fill "$red" -font DejaVu-Sans-Bold -pointsize 30 \
  -gravity center -annotate +0+0 'SALE'

# "送料無料" in yellow on a blue plate.
make_logo logo2.bmp "$blue $yellow" \
  -fill "$blue" -draw 'roundrectangle 1,1 158,46 9,9' \
  -fill "$yellow" -stroke "$yellow" -strokewidth 1.2 \
  -font IPAPGothic -pointsize 30 -gravity center -annotate +0+1 '送料無料'

# "新品" in green over a green bar, with a short orange "NEW" beside it.
make_logo logo3.bmp "$green $orange" \
  -fill "$green" -stroke "$green" -strokewidth 1.6 \
  -font IPAPGothic -pointsize 36 -gravity west -annotate +10+0 '新品' \
  -stroke none -draw 'rectangle 10,40 150,42' \
  -fill "$orange" -font DejaVu-Sans-Bold -pointsize 20 -gravity east -annotate +10+0 'NEW'
