#!/usr/bin/env bash
# Installs the Debian packages that a fresh Debian 12 lacks for building, testing or running Ferrylo.
# Usage: tools/install-deps.sh build|test|run|shot|bench|windows|package
set -euo pipefail

# qt6-translations-l10n: the toolkit's Russian texts (standard buttons, pickers), wherever the program is built to run.
# libssl-dev: TLS for FTPS (it brings the run-time libssl3 and the system's trusted authorities come with
# ca-certificates, which it recommends; named here so a minimal install has them). libssh2-1-dev: SFTP.
# qtkeychain-qt6-dev: the system's keyring; it reaches the Secret Service through libsecret, which it loads when it
# runs, so that is named too.
build_packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev libjpeg62-turbo-dev
    qt6-translations-l10n libssl-dev ca-certificates libssh2-1-dev qtkeychain-qt6-dev libsecret-1-0)
# The Debian package (tools/package-deb.sh): CPack's dependency search (dpkg-shlibdeps), the package checker and the
# validators of the menu entry and the AppStream metadata.
package_packages=(dpkg-dev lintian desktop-file-utils appstream)
# openssl makes the test servers' certificates; python3-openssl lets pyftpdlib speak TLS. openssh-server gives the
# tests an sshd of their own (never the system service: the install starts none), openssh-client its key tools,
# python3-paramiko the scripted SSH server of the hostile cases. The package's tests need the package's tools, and start
# the unpacked program under a virtual display to wait for its window (xvfb, xauth, xdotool). The keyring tests start a
# session bus of their own (dbus) with gnome-keyring-daemon on it and read what it holds with secret-tool
# (libsecret-tools).
test_packages=(libgtest-dev libgmock-dev python3-pyftpdlib openssl python3-openssl openssh-server openssh-client
    python3-paramiko "${package_packages[@]}" xvfb xauth xdotool dbus gnome-keyring libsecret-tools)
# xdg-utils opens the help page; pkexec gives the program administrator rights (Files/HOISTER).
run_packages=(xdg-utils pkexec)
shot_packages=(xvfb xauth imagemagick fonts-dejavu-core trayer xdotool)
# Debian's FTP daemons exclude one another: proftpd is installed, vsftpd is unpacked by the benchmarks (bench/common.sh)
# into a cache folder, so its libraries are named here.
bench_packages=(curl lftp ncftp rclone proftpd-basic libwrap0 libcap2 libpam0g time bc clang libclang-rt-14-dev python3-pyftpdlib openssl python3-openssl)
# The Windows build: the cross compiler, Debian's Qt host tools, the source fetch, the help file's compiler (chmcmd)
# and the installer's (makensis), and Wine to try it here.
windows_packages=(qt6-base-dev-tools g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev python3 fp-utils-3.2.2 nsis
    wine64 wine "${shot_packages[@]}" python3-pyftpdlib)

wanted=("${build_packages[@]}")
case "${1:-build}" in
    build) ;;
    test) wanted+=("${test_packages[@]}") ;;
    package) wanted+=("${package_packages[@]}") ;;
    run) wanted+=("${run_packages[@]}") ;;
    shot) wanted+=("${shot_packages[@]}") ;;
    bench) wanted+=("${test_packages[@]}" "${bench_packages[@]}") ;;
    windows) wanted+=("${windows_packages[@]}") ;;
    *) echo "unknown set: $1" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# Packaged servers (vsftpd for the benchmarks) must not start as system services on every address: the
# benchmarks start their own on loopback. A policy that forbids starts is put in place for the install.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee "$policy" >/dev/null
    "${sudo_cmd[@]}" chmod +x "$policy"
    trap '"${sudo_cmd[@]}" rm -f "$policy"' EXIT
fi
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
