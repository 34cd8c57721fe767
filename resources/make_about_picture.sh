#!/bin/sh
# Draws the About picture: a small ferry carrying folders over the waves, with the product name.
# Output: a baseline JPEG, 719 x 480, three colour components (the About window draws it at its own size).
set -eu
out="${1:-$(dirname "$0")/about.jpg}"
font_bold=DejaVu-Sans-Bold
font=DejaVu-Sans

# A wave band: quadratic curves repeated across the width, closed down to the bottom edge.
wave() { # y amplitude period
    y=$1 a=$2 p=$3 half=$(($3 / 2))
    path="M -20,$y Q $((half / 2 - 20)),$((y - a)) $((half - 20)),$y"
    x=$((half - 20))
    while [ "$x" -lt 760 ]; do
        x=$((x + half))
        path="$path T $x,$y"
    done
    echo "path '$path L 760,490 L -20,490 Z'"
}

# A folder: the tab and the body, seen from the front.
folder() { # x y colour
    x=$1 y=$2
    echo "fill '$3' stroke '#6b4a10' stroke-width 2 path 'M $x,$((y + 8)) L $x,$((y - 4)) L $((x + 20)),$((y - 4)) L $((x + 26)),$((y + 2)) L $((x + 56)),$((y + 2)) L $((x + 56)),$((y + 8)) Z' rectangle $x,$((y + 6)) $((x + 56)),$((y + 44))"
}

convert -size 719x480 gradient:'#7fc4f2-#e8f6ff' \
    -fill '#ffd54a' -stroke '#f2b300' -strokewidth 3 -draw "circle 610,90 650,90" \
    -stroke none -fill '#ffffffd0' \
    -draw "ellipse 140,80 60,20 0,360" -draw "ellipse 185,70 45,22 0,360" -draw "ellipse 420,130 50,15 0,360" \
    -fill '#2f7fb8' -draw "$(wave 330 18 120)" \
    -fill '#9a4a2a' -stroke '#5a2a14' -strokewidth 3 \
    -draw "path 'M 170,300 L 560,300 L 520,360 L 215,360 Z'" \
    -fill '#ffffff' -stroke '#5a2a14' -strokewidth 2 -draw "rectangle 185,300 545,312" \
    -fill '#f4f4f4' -draw "rectangle 430,230 520,300" \
    -fill '#9fd3f5' -draw "rectangle 442,244 462,262" -draw "rectangle 472,244 492,262" \
    -fill '#c0392b' -draw "rectangle 490,195 508,230" \
    -fill '#333333' -draw "rectangle 490,195 508,203" \
    -draw "$(folder 200 250 '#f5c542')" -draw "$(folder 265 250 '#f0b429')" -draw "$(folder 330 250 '#f5c542')" \
    -draw "$(folder 232 200 '#f7d36b')" -draw "$(folder 298 200 '#f5c542')" \
    -stroke none -fill '#1f6fa8' -draw "$(wave 352 12 90)" \
    -fill '#175a8a' -draw "$(wave 392 14 150)" \
    -fill '#0f4670' -draw "$(wave 430 10 110)" \
    -fill '#ffffff' -font "$font_bold" -pointsize 72 -stroke '#0f4670' -strokewidth 3 \
    -annotate +40+140 'Ferrylo' \
    -stroke none -fill '#0f4670' -font "$font" -pointsize 22 \
    -annotate +44+178 'перевозит ваши папки на FTP-сервер' \
    -type TrueColor -colorspace sRGB -interlace none -sampling-factor 2x2 -quality 90 -strip \
    "jpeg:$out"
