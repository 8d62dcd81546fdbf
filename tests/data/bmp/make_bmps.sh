#!/bin/sh
# Remakes the BMP files beside this script with ImageMagick's convert, one per layout the logo
# reader takes, and next to each the pixels convert itself reads back from it (NAME.ppm), so the
# tests compare our reader with another tool's without needing that tool.
set -eu
cd "$(dirname "$0")"

# A 13 x 7 picture (odd sizes expose row padding) of 12 flat colours with pure white among them.
convert -size 13x7 xc:white \
  -fill '#D01818' -draw 'rectangle 0,0 3,2' -fill '#1844A8' -draw 'rectangle 4,0 8,2' \
  -fill '#FFE020' -draw 'rectangle 9,0 12,3' -fill '#168A3A' -draw 'rectangle 0,3 5,6' \
  -fill '#F07800' -draw 'point 7,5' -fill black -draw 'point 12,6' -fill '#808080' -draw 'line 6,3 8,6' \
  -fill '#FFFFFE' -draw 'point 10,5' -fill '#000080' -draw 'point 11,5' -fill '#00FFFF' -draw 'point 9,6' \
  -fill '#FF00FF' -draw 'point 6,0' +dither -type TrueColor source.ppm
# 91 colours, for the 8-bit files (convert takes the fewest bits the colours need).
convert -size 13x7 xc:black -channel R -fx 'i/12' -channel G -fx 'j/6' -channel B -fx '(i+2*j)%5/4' \
  +channel -type TrueColor many.ppm
# Two colours for the one-bit file.
convert source.ppm -threshold 50% -type Bilevel bilevel.ppm

# write NAME FORMAT CONVERT-ARGUMENTS...
write() {
  name=$1
  format=$2
  shift 2
  convert "$@" "$format:$name.bmp"
  convert "$name.bmp" -depth 8 -type TrueColor "ppm:$name.ppm"
}

write win3_24 BMP3 source.ppm -type TrueColor
write v5_24 BMP source.ppm -type TrueColor
write v5_32 BMP source.ppm -alpha set -channel A -evaluate set 60% +channel -type TrueColorAlpha
write win3_8 BMP3 many.ppm -type Palette -compress None
write win3_rle8 BMP3 source.ppm -type Palette -compress RLE
write win3_rle8_many BMP3 many.ppm -type Palette -compress RLE
write os2_8 BMP2 many.ppm -type Palette
write os2_4 BMP2 source.ppm -type Palette
write win3_4 BMP3 source.ppm -type Palette
write win3_1 BMP3 bilevel.ppm -type Bilevel
write os2_1 BMP2 bilevel.ppm -type Bilevel
write v5_565 BMP source.ppm -define bmp:subtype=RGB565
write v5_555 BMP source.ppm -define bmp:subtype=RGB555
rm -f source.ppm many.ppm bilevel.ppm
