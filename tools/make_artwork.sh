#!/usr/bin/env bash
# Draws every picture, icon and pointer Varnex shows into assets/, from scratch.
# Needs ImageMagick 6 (convert), python3 and fonts-liberation. The pictures are kept
# in git, so building Varnex does not need any of these; run this again after
# changing a picture here and commit what it writes.
set -euo pipefail
cd "$(dirname "$0")/.."

out=assets
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

fonts=/usr/share/fonts/truetype/liberation
bold=$fonts/LiberationSans-Bold.ttf
regular=$fonts/LiberationSans-Regular.ttf
narrow_bold=$fonts/LiberationSansNarrow-Bold.ttf
for font in "$bold" "$regular" "$narrow_bold"; do
  [ -f "$font" ] || { echo "missing $font (apt-get install fonts-liberation)" >&2; exit 1; }
done

# The window's greens, and darker shades of the accent for edges, shadows and ink.
accent='#5F7E00'      # 95,126,0
field='#C0E07F'       # 192,224,127
strip='#90C800'       # 144,200,0
edge='#3C5400'
deep='#2E4000'
ink='#1E2D00'
grey_ink='#3F4F1A'

# ImageMagick writes a BMP with a palette or an alpha channel when it thinks it
# can; the window wants plain 24-bit pictures.
bmp24() { convert "$1" -alpha off -type TrueColor "BMP3:$2"; }
# GIF and BMP carry no time; PNG would, so leave those chunks out and the file
# comes out the same on every run.
png_plain() { # CONVERT_ARGUMENTS... OUTPUT
  convert "${@:1:$#-1}" -strip -define png:exclude-chunks=date,time "${@: -1}"
}

# Prints "width height left top" of the ink of TEXT drawn with its pen at 0 and its
# baseline at 0: left is where the ink starts, top how far it rises.
ink_box() { # FONT SIZE TEXT
  local box
  box=$(convert -size 400x120 xc:black -font "$1" -pointsize "$2" -fill white \
    -annotate +100+80 "$3" -format '%@' info:)
  [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || { echo "cannot measure '$3'" >&2; exit 1; }
  echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} $((BASH_REMATCH[3] - 100)) $((80 - BASH_REMATCH[4]))"
}

# Buttons: a flat accent-green face with a 1 px dark edge and softened corners. The
# pressed picture is darker, has a two-pixel shadow along its top and left inner
# edges, and its word sits 1 px lower and further right, so a click shows.
button() { # NAME WIDTH HEIGHT FONT SIZE WORD
  local name=$1 w=$2 h=$3 font=$4 size=$5 word=$6
  local iw left rise
  read -r iw _ left rise < <(ink_box "$font" "$size" "$word")
  # Centre the ink across, and the capitals (top of ink to baseline) up and down,
  # so a descender such as the g of Register does not lift the word.
  local x=$(( (w - iw) / 2 - left )) y=$(( (h - rise + 1) / 2 + rise ))
  # The pressed word, 1 px further right, must still clear the right edge and
  # the pressed shadow on the left.
  if (( (w - iw) / 2 < 3 - 1 || (w - iw) / 2 + 1 + iw > w - 2 )); then
    echo "'$word' does not fit a $w x $h button" >&2; exit 1
  fi
  local r=$((w - 1)) b=$((h - 1)) corners
  corners="point 0,0 point $r,0 point 0,$b point $r,$b"
  convert -size "${w}x${h}" xc:white \
    -fill "$accent" -stroke "$edge" -draw "rectangle 0,0 $r,$b" -stroke none \
    -fill '#86A42A' -draw "line 1,1 $((r - 1)),1" \
    -fill '#6E8E0A' -draw "line 1,2 1,$((b - 1))" \
    -fill '#4E6A00' -draw "line 1,$((b - 1)) $((r - 1)),$((b - 1)) line $((r - 1)),2 $((r - 1)),$((b - 1))" \
    -font "$font" -pointsize "$size" -fill white -annotate "+$x+$y" "$word" \
    -fill '#C8D2B4' -draw "$corners" "$tmp/$name.png"
  convert -size "${w}x${h}" xc:white \
    -fill '#4D6800' -stroke "$edge" -draw "rectangle 0,0 $r,$b" -stroke none \
    -fill "$deep" -draw "line 1,1 $((r - 1)),1 line 1,1 1,$((b - 1))" \
    -fill '#3D5500' -draw "line 2,2 $((r - 1)),2 line 2,2 2,$((b - 1))" \
    -font "$font" -pointsize "$size" -fill '#E8F0D8' -annotate "+$((x + 1))+$((y + 1))" "$word" \
    -fill '#C8D2B4' -draw "$corners" "$tmp/${name}_pressed.png"
  bmp24 "$tmp/$name.png" "$out/${name}0.bmp"
  bmp24 "$tmp/${name}_pressed.png" "$out/${name}1.bmp"
}

button go       32 19 "$bold" 11 Go
button register 63 19 "$bold" 11 Register
button back     63 19 "$bold" 11 Back
# The small buttons take the narrow face: FAQ and Web in the ordinary one would
# touch the edges at any size that stays readable.
button faq      22 21 "$narrow_bold" 9.5 FAQ
button web      22 21 "$narrow_bold" 9.5 Web
button info     22 22 "$narrow_bold" 9.5 Info

# The emblem: a magnifying glass over a globe with a V on it. Drawn on a 32 x 32
# grid and scaled for the logos and the large icon, so all of them match.
emblem="stroke-linecap round
fill none stroke $deep stroke-width 5.5 line 21.5,21.5 28.5,28.5
stroke $accent stroke-width 2.5 line 22,22 28,28
fill white stroke $edge stroke-width 3 circle 13,13 13,2.5
fill none stroke $field stroke-width 1
ellipse 13,13 4.5,9.5 0,360
line 3.5,13 22.5,13
line 5,8.5 21,8.5
line 5,17.5 21,17.5
fill $accent stroke none
polygon 6.2,5.5 10,5.5 13,15.5 16,5.5 19.8,5.5 14.8,20.5 11.2,20.5"

convert -size 173x86 xc:white -draw "translate 4,15 scale 1.75,1.75 $emblem" \
  -font "$bold" -pointsize 32 -fill "$accent" -annotate +64+45 Varnex \
  -fill "$strip" -draw "rectangle 64,50 168,51" \
  -font "$regular" -pointsize 11 -fill "$grey_ink" -annotate +65+64 'domain name finder' \
  "$tmp/logo.png"
bmp24 "$tmp/logo.png" "$out/logo.bmp"

# The About window's logo is too small for the tagline beside the name, so the
# tagline runs under a full-width rule instead. The logo is the only place the
# About window shows the version, so "v1.0" sits under the name, its right edge
# on the rule's, in bold 10 px: legible at 96 dpi. It is the project's VERSION
# (major.minor) from the top CMakeLists.txt.
version=$(sed -n 's/^project(Varnex VERSION \([0-9]*\)\.\([0-9]*\).*/v\1.\2/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no project VERSION in CMakeLists.txt" >&2; exit 1; }
read -r vw _ vleft _ < <(ink_box "$bold" 10 "$version")
(( vw <= 30 )) || { echo "version $version too wide for the About logo: $vw px" >&2; exit 1; }
convert -size 90x45 xc:white -draw "translate 2,1 scale 0.75,0.75 $emblem" \
  -font "$bold" -pointsize 17 -fill "$accent" -annotate +29+17 Varnex \
  -font "$bold" -pointsize 10 -fill "$grey_ink" -annotate "+$((88 - vw - vleft))+27" "$version" \
  -fill "$strip" -draw "rectangle 3,30 87,31" \
  -font "$regular" -pointsize 9 -fill "$grey_ink" -annotate +4+42 'domain name finder' \
  "$tmp/about_logo.png"
bmp24 "$tmp/about_logo.png" "$out/about_logo.bmp"

# The banner sits on the strip-green status strip; dark ink reads far better on
# that green than white does.
banner_text='Free tools at www.ormbrook.com'
read -r iw _ left rise < <(ink_box "$narrow_bold" 10 "$banner_text")
(( iw <= 147 )) || { echo "banner text too wide: $iw px" >&2; exit 1; }
convert -size 149x12 xc:"$strip" -font "$narrow_bold" -pointsize 10 -fill "$ink" \
  -annotate "+$(( (149 - iw) / 2 - left ))+$(( (12 - rise) / 2 + rise ))" "$banner_text" \
  +dither -colors 16 "$out/banner.gif"

# List bullet: a green dot with a dark rim and a light spot up and left, on the
# white of the window.
convert -size 8x8 xc:white -fill "$edge" -draw "circle 3.5,3.5 3.5,0.2" \
  -fill "$accent" -draw "circle 3.3,3.3 3.3,1.1" -fill "$strip" -draw "circle 2.8,2.8 2.8,1.8" \
  +dither -colors 16 "$out/bullet.gif"

# Window icon, and the desktop entry's icon in the theme's sizes.
mkdir -p "$out/icons"
for size in 16 32 48 64 128 256; do
  scale=$(python3 -c "print($size / 32)")
  png_plain -size "${size}x${size}" xc:none -draw "scale $scale,$scale $emblem" "PNG32:$out/icons/varnex-$size.png"
done
convert -size 32x32 xc:none -draw "$emblem" "$tmp/icon.png"
# The ICO has one mask bit and 16 colours: cut the alpha in two, give every
# transparent pixel the same colour so it takes one palette entry, then quantize.
convert "$tmp/icon.png" -channel A -threshold 50% +channel -background black \
  -alpha background +dither -colors 16 -depth 8 rgba:- |
  python3 tools/make_artwork_ico.py "$out/varnex.ico"

# The pointers are drawn pixel by pixel; a pointer wants hard edges.
# Link pointer: a hand whose index fingertip is at (10, 2), the hot spot.
cat > "$tmp/link.xpm" <<'EOF'
/* XPM */
static char *link[] = {
"32 32 5 1",
". c None",
"K c #000000",
"W c #FFFFFF",
"G c #90C800",
"g c #5F7E00",
"................................",
".........KKKK...................",
"........KWWWWK..................",
"........KWWWWK..................",
"........KWWWWK..................",
"........KWWWWK..................",
"........KWWWWK..................",
"........KWWWWKKK................",
"........KWWWWKWWKKK.............",
"........KWWWWKWWKWWKKK..........",
"........KWWWWKWWKWWKWWKK........",
"........KWWWWKWWKWWKWWKWK.......",
"...KKK..KWWWWKWWKWWKWWKWWK......",
"..KWWWK.KWWWWWWWWWWWWWWWWK......",
"..KWWWWKKWWWWWWWWWWWWWWWWK......",
"...KWWWWKWWWWWWWWWWWWWWWWK......",
"....KWWWWWWWWWWWWWWWWWWWWK......",
".....KWWWWWWWWWWWWWWWWWWWK......",
".....KWWWWWWWWWWWWWWWWWWWK......",
"......KWWWWWWWWWWWWWWWWWWK......",
"......KWWWWWWWWWWWWWWWWWK.......",
".......KWWWWWWWWWWWWWWWWK.......",
".......KWWWWWWWWWWWWWWWK........",
"........KWWWWWWWWWWWWWWK........",
"........KKKKKKKKKKKKKKKK........",
"........KGGGGGGGGGGGGGGK........",
"........KGGGGGGGGGGGGGGK........",
"........KggggggggggggggK........",
"........KKKKKKKKKKKKKKKK........",
"................................",
"................................",
"................................"
};
EOF

# Banner pointer: an arrow whose tip is at (2, 2), the hot spot, with a small
# globe beside it for "this goes to the web".
cat > "$tmp/banner.xpm" <<'EOF'
/* XPM */
static char *banner[] = {
"32 32 7 1",
". c None",
"K c #000000",
"W c #FFFFFF",
"L c #EBF5D7",
"F c #C0E07F",
"A c #5F7E00",
"D c #2E4000",
"................................",
"................................",
"..K.............................",
"..KK............................",
"..KWK...........................",
"..KWWK..........................",
"..KWWWK.........................",
"..KWWWWK........................",
"..KWWWWWK.......................",
"..KWWWWWWK......................",
"..KWWWWWWWK.....................",
"..KWWWWWWWWK....................",
"..KWWWWWKKKKK...................",
"..KWWKWWK...........WWWWW.......",
"..KWK.KWWK........WWDDDDDWW.....",
"..KK..KWWK.......WDDFFAFFDDW....",
"..K....KWWK.....WDLLAFAFAFFDW...",
".......KWWK.....WDLAFFAFFAFDW...",
"........KK.....WDFFAFFAFFAFFDW..",
"...............WDFFAFFAFFAFFDW..",
"...............WDAAAAAAAAAAADW..",
"...............WDFFAFFAFFAFFDW..",
"...............WDFFAFFAFFAFFDW..",
"................WDFAFFAFFAFDW...",
"................WDFFAFAFAFFDW...",
".................WDDFFAFFDDW....",
"..................WWDDDDDWW.....",
"....................WWWWW.......",
"................................",
"................................",
"................................",
"................................"
};
EOF

for pointer in link banner; do
  convert "$tmp/$pointer.xpm" -depth 8 rgba:- | python3 tools/make_artwork_ico.py "$out/$pointer.ico"
done

# Every file must come out at the size the window lays it out for.
check() { # FILE FORMAT WIDTH HEIGHT
  local got
  got=$(identify -format '%m %w %h\n' "$1" | head -n 1)
  [ "$got" = "$2 $3 $4" ] || { echo "$1: got '$got', want '$2 $3 $4'" >&2; exit 1; }
}
check "$out/logo.bmp" BMP3 173 86
check "$out/about_logo.bmp" BMP3 90 45
check "$out/banner.gif" GIF 149 12
for name in go register back; do
  w=63; [ "$name" = go ] && w=32
  check "$out/${name}0.bmp" BMP3 "$w" 19
  check "$out/${name}1.bmp" BMP3 "$w" 19
done
for name in faq web; do
  check "$out/${name}0.bmp" BMP3 22 21
  check "$out/${name}1.bmp" BMP3 22 21
done
check "$out/info0.bmp" BMP3 22 22
check "$out/info1.bmp" BMP3 22 22
check "$out/bullet.gif" GIF 8 8
for size in 16 32 48 64 128 256; do
  check "$out/icons/varnex-$size.png" PNG "$size" "$size"
done
for icon in varnex link banner; do
  check "$out/$icon.ico" ICO 32 32
done
echo "artwork written to $out/"
