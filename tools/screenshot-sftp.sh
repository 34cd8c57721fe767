#!/usr/bin/env bash
# Takes a screenshot of what a new user sees on the first SFTP connection to a new server: the main window with
# "Протокол SFTP (SSH)" ticked, the server and login typed, "Проверка связи" clicked, and the host key question.
# The server is an sshd of the script's own on 127.0.0.1. Usage: tools/screenshot-sftp.sh [output.png]
# Needs the "shot" packages (Xvfb, ImageMagick, xdotool) and openssh-server, which it installs when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/sftp-first-connection.png}
tools/install-deps.sh shot
tools/install-deps.sh test
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF >/dev/null
cmake --build build/release --target ferrylo -j "$(nproc)" >/dev/null

stage=$(mktemp -d)
sshd_pid=
cleanup() {
    [ -z "$sshd_pid" ] || kill "$sshd_pid" 2>/dev/null || true
    rm -rf "$stage"
}
trap cleanup EXIT
mkdir -p "$stage/program" "$stage/home/.ssh" "$stage/sshd"
cp build/release/app/ferrylo "$stage/program/"
printf 'sftp=1\r\n' >"$stage/program/ferrylo.ftps" # the box ticked, as a user who ticked it and saved
ssh-keygen -q -t ed25519 -N '' -f "$stage/sshd/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$stage/home/.ssh/id_ed25519"
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$stage/sshd/config" <<CONF
ListenAddress 127.0.0.1
Port $port
HostKey $stage/sshd/host_key
PidFile $stage/sshd/pid
UsePAM no
LogLevel ERROR
UseDNS no
CONF
[ "$(id -u)" -ne 0 ] || mkdir -p /run/sshd
/usr/sbin/sshd -D -e -f "$stage/sshd/config" 2>/dev/null &
sshd_pid=$!
sleep 1

# The window has no frame under the bare virtual display: its fields are where the layout puts them.
HOME=$stage/home xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$1/program/ferrylo" &
    pid=$!
    sleep 3
    xdotool mousemove 875 61 click 1 type --delay 20 "127.0.0.1:$2"   # the server field
    xdotool mousemove 875 91 click 1 type --delay 20 "$3"             # login
    xdotool mousemove 612 218 click 1                                 # "Проверка связи"
    sleep 3
    import -window root "$1/screen.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
' _ "$stage" "$port" "$(id -un)" 2>/dev/null
convert "$stage/screen.png" -trim +repage "$output"
echo "Screenshot written to $output"
