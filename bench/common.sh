# Shared by the upload benchmarks (sourced, not run): the build, a work folder that is removed on exit,
# the generated data, and the local FTP servers on 127.0.0.1 (python's pyftpdlib and vsftpd) that are
# stopped on exit. The sourcing script sets `repo` before sourcing.

build=${FERRYLO_BENCH_BUILD:-$repo/build/bench}
runs=${FERRYLO_BENCH_RUNS:-5}
# FERRYLO_BENCH_VERBOSE=1 prints every run's time, not only the medians.
# The servers a benchmark runs against, one row each.
read -r -a servers <<<"${FERRYLO_BENCH_SERVERS:-pyftpdlib vsftpd}"
user=bench
password=bench
server_pid=
memory_root=

# bench_build TARGET: builds one benchmark driver (Release) after installing what the benchmarks need, and sets
# $driver to the built program.
bench_build() {
    "$repo/tools/install-deps.sh" bench >/dev/null
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERRYLO_TESTS=OFF >/dev/null
    cmake --build "$build" --target "$1" -j2 >/dev/null
    driver=$(find "$build" -name "$1" -type f -perm -u+x | head -n1)
}

bench_cleanup() {
    stop_latency_proxy
    if [ -n "$server_pid" ]; then
        kill -TERM "$server_pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "${work:-}" "$memory_root"
}

# bench_workspace NAME: sets `work` (data under $work/data) and the server's root $work/root, in memory
# (/dev/shm) where there is one, so the disk's write-back does not decide which client wins.
bench_workspace() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/ferrylo-$1-XXXXXX")
    trap bench_cleanup EXIT
    mkdir -p "$work/data"
    if [ -d /dev/shm ] && [ -w /dev/shm ]; then
        memory_root=$(mktemp -d /dev/shm/ferrylo-root-XXXXXX)
        ln -s "$memory_root" "$work/root"
    else
        mkdir -p "$work/root"
    fi
}

# make_tree FOLDER FILES FOLDERS: FILES random files of 1 B to 64 KiB spread over FOLDERS folders.
make_tree() {
    /usr/bin/python3 - "$@" <<'PY'
import os, random, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
random.seed(files)
for i in range(files):
    folder = os.path.join(root, "folder%03d" % (i % folders))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%05d.bin" % i), "wb") as f:
        f.write(os.urandom(random.randint(1, 64 * 1024)))
PY
}

# make_file PATH MIB
make_file() { head -c $(($2 << 20)) /dev/urandom >"$1"; }

# start_server: the python FTP server on 127.0.0.1 over $work/root; sets `port`.
start_server() {
    served=$work/root base=
    user=bench password=bench
    sync # dirty pages of the generated data would otherwise be written during the first timed run
    /usr/bin/python3 -u "$repo/tests/support/pyftpd_server.py" --root "$work/root" --user $user \
        --password $password >"$work/port" 2>"$work/server.log" &
    server_pid=$!
    for _ in $(seq 150); do [ -s "$work/port" ] && break; sleep 0.1; done
    port=$(head -n1 "$work/port")
    [ -n "$port" ] || { echo "server did not start"; cat "$work/server.log"; exit 1; }
}

# await_daemon NAME: waits (5 s at most) until the daemon just started accepts on $port; fails the benchmark if not.
await_daemon() {
    for _ in $(seq 50); do
        /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1).close()" 2>/dev/null && return
        sleep 0.1
    done
    echo "$1 did not start"; cat "$work/server.log"; exit 1
}

# unpacked_server PACKAGE PROGRAM: the path of a daemon from a Debian package that cannot be installed beside
# another one (FTP daemons exclude each other), unpacked once into a cache folder outside the repo.
unpacked_server() {
    local folder=${XDG_CACHE_HOME:-$HOME/.cache}/ferrylo/servers/$1
    if [ ! -x "$folder/root/$2" ]; then
        mkdir -p "$folder"
        (cd "$folder" && apt-get download "$1" >/dev/null 2>&1 && dpkg-deb -x "$1"_*.deb root && rm -f "$1"_*.deb)
    fi
    echo "$folder/root/$2"
}

# start_vsftpd: vsftpd on 127.0.0.1 with a generated config: anonymous log-in (no password asked), uploads
# into $work/vroot/up, passive ports from a range of its own. Sets port, user, password, served (the local
# folder behind the remote folder $base) and base. Set beforehand, vsftpd_passive="LOW HIGH" narrows the passive
# ports and vsftpd_tls="CERT KEY" lets it speak explicit TLS too (plain FTP stays allowed).
start_vsftpd() {
    sync
    local top=$memory_root/vroot
    [ -n "$memory_root" ] || top=$work/vroot
    mkdir -p "$top/up" /var/run/vsftpd/empty
    chmod 755 "$top" # vsftpd refuses an anonymous root that its user may write
    chown ftp "$top/up"
    served=$top/up base=/up
    user=anonymous password=bench
    port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    # Wide, since a tree job opens a passive port per file, and below the system's range of ephemeral ports:
    # a client's socket lingering on one of them would make vsftpd's bind fail ("OOPS: vsf_sysutil_bind").
    local low
    read -r low _ </proc/sys/net/ipv4/ip_local_port_range
    local passive=$((low > 22000 ? low - 20000 : 2000)) passive_high
    passive_high=$((passive + 19999))
    [ -z "${vsftpd_passive:-}" ] || read -r passive passive_high <<<"$vsftpd_passive"
    cat >"$work/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$port
background=NO
anonymous_enable=YES
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_umask=022
no_anon_password=YES
anon_root=$top
pasv_enable=YES
pasv_address=127.0.0.1
pasv_min_port=$passive
pasv_max_port=$passive_high
port_enable=YES
connect_from_port_20=NO
xferlog_enable=NO
dirmessage_enable=NO
seccomp_sandbox=NO
max_clients=0
max_per_ip=0
CONF
    if [ -n "${vsftpd_tls:-}" ]; then
        local cert key
        read -r cert key <<<"$vsftpd_tls"
        printf '%s\n' ssl_enable=YES allow_anon_ssl=YES force_anon_logins_ssl=NO force_anon_data_ssl=NO \
            "rsa_cert_file=$cert" "rsa_private_key_file=$key" >>"$work/vsftpd.conf"
    fi
    "$(unpacked_server vsftpd usr/sbin/vsftpd)" "$work/vsftpd.conf" 2>"$work/server.log" &
    server_pid=$!
    await_daemon vsftpd
}

# start_proftpd: proftpd on 127.0.0.1 as Debian ships it (no AllowStoreRestart: a store after REST is refused), with
# one user of its own in a generated password file, the root in $work/proot. Sets port, user, password, served and
# base like start_vsftpd.
start_proftpd() {
    sync
    local top=$memory_root/proot
    [ -n "$memory_root" ] || top=$work/proot
    mkdir -p "$top/up"
    chown -R nobody:nogroup "$top"
    chmod 711 "$(dirname "$top")" # the daemon's user reaches its home through the private work folder
    served=$top/up base=/up
    user=bench password=bench
    echo "bench:$(openssl passwd -1 bench):$(id -u nobody):$(id -g nobody)::$top:/bin/false" >"$work/proftpd.passwd"
    echo "nogroup:x:$(id -g nobody):" >"$work/proftpd.group"
    chmod 600 "$work/proftpd.passwd" "$work/proftpd.group"
    port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    local low
    read -r low _ </proc/sys/net/ipv4/ip_local_port_range
    local passive=$((low > 22000 ? low - 20000 : 2000)) passive_high
    passive_high=$((passive + 19999))
    [ -z "${vsftpd_passive:-}" ] || read -r passive passive_high <<<"$vsftpd_passive"
    cat >"$work/proftpd.conf" <<CONF
ServerType standalone
DefaultAddress 127.0.0.1
SocketBindTight on
UseIPv6 off
Port $port
PassivePorts $passive $((passive + 19999))
User nobody
Group nogroup
PidFile $work/proftpd.pid
ScoreboardFile $work/proftpd.scoreboard
DelayTable none
WtmpLog off
UseReverseDNS off
AuthOrder mod_auth_file.c
AuthUserFile $work/proftpd.passwd
AuthGroupFile $work/proftpd.group
RequireValidShell off
DefaultRoot ~
AllowOverwrite on
MaxInstances 64
CONF
    /usr/sbin/proftpd -n -d ${FERRYLO_PROFTPD_DEBUG:-0} -c "$work/proftpd.conf" 2>"$work/server.log" &
    server_pid=$!
    await_daemon proftpd
}

# start_named_server NAME (pyftpdlib, vsftpd or proftpd), stop_named_server: one server at a time.
start_named_server() {
    case "$1" in
        pyftpdlib) start_server ;;
        vsftpd) start_vsftpd ;;
        proftpd) start_proftpd ;;
        *) echo "unknown server: $1" >&2; exit 2 ;;
    esac
}
stop_named_server() {
    [ -n "$server_pid" ] || return 0
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=
}

# start_latency_proxy RTT_MS [--raw]: puts bench/latency_proxy.py between the clients and the running server, which
# then answers as if RTT_MS away (--raw: a server that does not speak FTP); `port` becomes the proxy's.
# stop_latency_proxy puts the server's port back.
proxy_pid=
start_latency_proxy() {
    server_port=$port
    /usr/bin/python3 -u "$repo/bench/latency_proxy.py" ${2:-} "$port" "$1" >"$work/proxy_port" 2>"$work/proxy.log" &
    proxy_pid=$!
    for _ in $(seq 50); do [ -s "$work/proxy_port" ] && break; sleep 0.1; done
    port=$(head -n1 "$work/proxy_port")
    [ -n "$port" ] || { echo "latency proxy did not start"; cat "$work/proxy.log"; exit 1; }
}
stop_latency_proxy() {
    [ -n "$proxy_pid" ] || return 0
    kill -TERM "$proxy_pid" 2>/dev/null || true
    wait "$proxy_pid" 2>/dev/null || true
    proxy_pid= port=$server_port
}

# server_cpu -> the CPU seconds the server has used so far, its own and those of its ended children (a session
# process of vsftpd); nothing without a server. busy_share BEFORE SECONDS -> that since BEFORE, per second of upload.
server_cpu() {
    [ -n "${server_pid:-}" ] && [ -r "/proc/$server_pid/stat" ] || return 0
    # The fields after the name in parentheses: utime, stime, cutime, cstime are the 12th to 15th of them.
    sed 's/^.*) //' "/proc/$server_pid/stat" |
        awk -v tick="$(getconf CLK_TCK)" '{ print ($12 + $13 + $14 + $15) / tick }'
}
busy_share() {
    local after
    after=$(server_cpu)
    [ -n "$1" ] && [ -n "$after" ] || return 0
    echo "($after - $1) / $2" | bc -l
}

# race OURS THEIRS...: runs the commands in turn, $runs rounds, and keeps the median time of each. A command
# uploads, checks what arrived, clears its part of the server root and prints "seconds [peak_kib [gap_ms]]".
# Sets median_ours, median_theirs (the best of the peers' medians), best_peer, paired_ratio (the median of each
# round's ours / best peer: where the machine's speed drifts between rounds, steadier than the ratio of the medians),
# peak_ours and gap_ours (the highest peak and the longest message-loop gap of our runs), and busy_ours and
# busy_theirs: the median share of the upload's time the server spent working (its CPU seconds per second), for
# ours and the best peer. Near 1 the server is what sets the pace (the python server on one core); a client that
# makes the server wait shows a lower share than the others. wins_ours: in how many rounds ours beat the best peer's
# run of that round; where the machine's speed swings more than the gap between the clients, it tells a lead from
# a coin flip. fastest_ratio: ours' fastest run / the fastest run of any peer. Another program on the machine can
# only slow a run down, so the fastest runs are the ones it disturbed least.
race() {
    local ours=$1 result seconds peak gap i before
    shift
    local -a our_times=() our_busy=() peer_names=("$@")
    local -A peer_times=() peer_busy=()
    peak_ours=0 gap_ours=0
    # The generated data's write-back would otherwise land on the first runs.
    sync
    local round
    run_peers() {
        for i in "${!peer_names[@]}"; do
            before=$(server_cpu)
            seconds=$("${peer_names[$i]}")
            peer_times[$i]+="$seconds "
            peer_busy[$i]+="$(busy_share "$before" "$seconds") "
            [ -z "${FERRYLO_BENCH_VERBOSE:-}" ] || echo "  round $round: ${peer_names[$i]} $seconds s" >&2
        done
    }
    for round in $(seq "$runs"); do
        # Who goes first alternates, so a disturbance that comes and goes does not favour one side.
        ((round % 2 == 1)) || run_peers
        before=$(server_cpu)
        result=$("$ours")
        read -r seconds peak gap <<<"$result"
        our_busy+=("$(busy_share "$before" "$seconds")")
        [ -z "${FERRYLO_BENCH_VERBOSE:-}" ] || echo "  round $round: $ours $seconds s" >&2
        our_times+=("$seconds")
        peak_ours=$((peak > peak_ours ? peak : peak_ours))
        gap_ours=$((${gap:-0} > gap_ours ? ${gap:-0} : gap_ours))
        ((round % 2 == 0)) || run_peers
    done
    median_ours=$(median "${our_times[@]}")
    median_theirs=999999 best_peer=
    local best=0
    for i in "${!peer_names[@]}"; do
        # shellcheck disable=SC2086
        seconds=$(median ${peer_times[$i]})
        if [ "$(echo "$seconds < $median_theirs" | bc -l)" = 1 ]; then
            median_theirs=$seconds best_peer=${peer_names[$i]} best=$i
        fi
    done
    local -a best_times ratios=()
    read -r -a best_times <<<"${peer_times[$best]}"
    wins_ours=0
    for i in "${!our_times[@]}"; do
        ratios+=("$(echo "${our_times[$i]} / ${best_times[$i]}" | bc -l)")
        [ "$(echo "${our_times[$i]} < ${best_times[$i]}" | bc -l)" = 0 ] || wins_ours=$((wins_ours + 1))
    done
    paired_ratio=$(median "${ratios[@]}")
    local fastest_ours fastest_peer
    fastest_ours=$(printf '%s\n' "${our_times[@]}" | sort -g | head -n1)
    # shellcheck disable=SC2086 # the times are words of their own
    fastest_peer=$(printf '%s\n' ${peer_times[*]} | sort -g | head -n1)
    fastest_ratio=$(echo "$fastest_ours / $fastest_peer" | bc -l)
    busy_ours= busy_theirs=
    if [ -n "${our_busy[*]}" ]; then
        busy_ours=$(median "${our_busy[@]}")
        # shellcheck disable=SC2086 # the shares are words of their own
        busy_theirs=$(median ${peer_busy[$best]})
    fi
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }
# timed COMMAND... -> seconds; a peer that fails ends the benchmark with what it said, rather than being timed.
timed() {
    local start end
    start=$(now)
    "$@" >/dev/null 2>"$work/peer.err" || { cat "$work/peer.err" >&2; exit 1; }
    end=$(now)
    elapsed "$start" "$end"
}
min() { echo "if ($1 < $2) $1 else $2" | bc -l; }
verify() { cmp -s "$1" "$2" || { echo "MISMATCH: $1 vs $2" >&2; exit 1; }; }
verify_tree() { diff -r -q "$1" "$2" >/dev/null || { echo "MISMATCH in tree: $1 vs $2" >&2; exit 1; }; }
