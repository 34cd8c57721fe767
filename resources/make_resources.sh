#!/bin/sh
# Draws the tray pictures and the main icon and writes the end-of-copy chime.
#   MYFOLDER/ICON0.png .. ICON6.png  32 x 32: a folder whose body fills from the bottom in seven stages
#   ferrylo.png                      64 x 64: the program's icon, a folder with an upward arrow
#   icons/ferrylo-N.png              the same icon drawn at N x N for the desktop's icon theme (the Debian package)
#   ferrylo.ico                      the same at 64, 48, 32 and 16 px for Windows
#   MYWAVE1.wav                      a short mono chime, 16-bit PCM
# Needs ImageMagick's convert and python3 (standard library only).
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$here/MYFOLDER"

# Folder outline on a 32 x 32 canvas: the tab at the top left, the body below it.
tab="path 'M 2,9 L 2,5 L 12,5 L 15,8 L 29,8 L 29,9 Z'"
body_top=10
body_bottom=28
stage=0
while [ "$stage" -le 6 ]; do
    # Stage 0 is empty, stage 6 full; the fill rises in equal steps from the body's bottom.
    height=$(((body_bottom - body_top) * stage / 6))
    fill_top=$((body_bottom - height))
    draw_fill=""
    if [ "$stage" -gt 0 ]; then
        draw_fill="fill '#2e9d4f' stroke none rectangle 3,$fill_top 28,$((body_bottom - 1))"
    fi
    convert -size 32x32 xc:none \
        -fill '#f0b429' -stroke '#7a5410' -strokewidth 1 -draw "$tab" \
        -fill '#fff3c4' -draw "rectangle 2,$body_top 29,$body_bottom" \
        ${draw_fill:+-draw "$draw_fill"} \
        -fill none -stroke '#7a5410' -draw "rectangle 2,$body_top 29,$body_bottom" \
        -define png:color-type=6 -define png:exclude-chunks=date,time "$here/MYFOLDER/ICON$stage.png"
    stage=$((stage + 1))
done

# Main icon: a yellow folder with a blue arrow pointing up (an upload), drawn on a 64 x 64 grid and scaled as a
# drawing, so every size is sharp rather than a resampled 64 x 64 picture.
draw_icon() { # size output
    scale=$(awk "BEGIN { print $1 / 64 }")
    convert -size "$1x$1" xc:none \
        -fill '#f0b429' -stroke '#7a5410' -strokewidth 2 \
        -draw "scale $scale,$scale path 'M 4,18 L 4,9 L 24,9 L 30,15 L 59,15 L 59,18 Z'" \
        -fill '#f7cf5a' -draw "scale $scale,$scale roundrectangle 4,18 59,57 3,3" \
        -fill '#1f6fb8' -stroke '#ffffff' -strokewidth 2 \
        -draw "scale $scale,$scale path 'M 32,22 L 46,37 L 37,37 L 37,51 L 27,51 L 27,37 L 18,37 Z'" \
        -define png:color-type=6 -define png:exclude-chunks=date,time "$2"
}
draw_icon 64 "$here/ferrylo.png"
mkdir -p "$here/icons"
for size in 16 32 48 64 128 256; do
    draw_icon "$size" "$here/icons/ferrylo-$size.png"
done
# Launchers written by the program take their picture from beside it.
cp "$here/ferrylo.png" "$here/../Files/ferrylo.png"
# Windows shows the program file, its shortcuts and its installer with this one (resource IDI_ICON1, ferrylo.rc).
convert "$here/ferrylo.png" -define icon:auto-resize=64,48,32,16 "$here/ferrylo.ico"

# The chime: two rising sine tones with a soft attack and an exponential decay, 22050 Hz mono.
python3 - "$here/MYWAVE1.wav" <<'PY'
import math, struct, sys, wave

rate = 22050
notes = [(880.0, 0.00, 0.28), (1318.5, 0.14, 0.42)]  # frequency, start, length in seconds
total = max(start + length for _, start, length in notes)
samples = [0.0] * int(rate * total)
for freq, start, length in notes:
    first = int(rate * start)
    for i in range(int(rate * length)):
        t = i / rate
        envelope = min(1.0, t / 0.01) * math.exp(-t * 9.0)
        samples[first + i] += 0.45 * envelope * math.sin(2 * math.pi * freq * t)
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(rate)
    out.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples))
PY
