"""Starts test FTP servers (pyftpd_server.py) on request, for tests that run under Wine and cannot start a Linux
process themselves.

Listens on 127.0.0.1 and prints its port as the first line of stdout. Each connection asks for one server with one
line of pyftpd_server.py options that need no files ("--max-cons-per-ip 2 --drop-at 524288 ..."), plus "--tls" for a
TLS-only server with a certificate of its own for 127.0.0.1, made now. The answer is one line: the server's port and
its root folder ("ERROR <why>" on failure). The server lives until the test sends "stop" or closes the connection:
then the server is stopped and its folder removed before the launcher closes its end. Serves until SIGTERM, then stops every server it started.
"""
import os
import shlex
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
ALLOWED = {"--max-cons-per-ip": 1, "--drop-at": 1, "--first-size": 1, "--refuse-restart": 0, "--tls": 0}
START_BOUND_S = 15
STOP_BOUND_S = 5

running = set()
running_lock = threading.Lock()


def parse(line):
    words, options, tls = shlex.split(line), [], False
    while words:
        word = words.pop(0)
        if word not in ALLOWED or len(words) < ALLOWED[word]:
            raise ValueError("unknown option " + word)
        if word == "--tls":
            tls = True
        else:
            options += [word] + [words.pop(0) for _ in range(ALLOWED[word])]
    return options, tls


def make_certificate(base):
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                    "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", os.path.join(base, "key.pem"), "-out", os.path.join(base, "cert.pem")],
                   check=True, capture_output=True, timeout=START_BOUND_S)
    return ["--certfile", os.path.join(base, "cert.pem"), "--keyfile", os.path.join(base, "key.pem"),
            "--ecdh-curve", "prime256v1"]


def stop(server):
    server.terminate()
    try:
        server.wait(STOP_BOUND_S)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()


def serve_one(connection):
    base, server = tempfile.mkdtemp(prefix="ferrylo-pyftpd-"), None
    with connection:
        try:
            connection.settimeout(START_BOUND_S)
            with connection.makefile("rb") as requests:
                options, tls = parse(requests.readline().decode())
            root = os.path.join(base, "root")
            os.mkdir(root)
            if tls:
                options += make_certificate(base)
            with open(os.path.join(base, "server.log"), "wb") as log:
                server = subprocess.Popen(
                    [sys.executable, "-u", os.path.join(HERE, "pyftpd_server.py"), "--root", root, "--user", "ferrylo",
                     "--password", "pass word"] + options, stdout=subprocess.PIPE, stderr=log, stdin=subprocess.DEVNULL)
            with running_lock:
                running.add(server)
            port = server.stdout.readline().decode().strip()
            if not port:
                raise RuntimeError("the server did not start: " + open(os.path.join(base, "server.log")).read())
            connection.sendall(("%s %s\n" % (port, root)).encode())
            connection.settimeout(None)
            connection.recv(4096)  # "stop", or the test closed the connection
        except Exception as error:  # the test reads why, and the launcher serves on
            try:
                connection.sendall(("ERROR %s\n" % str(error).replace("\n", " ")).encode())
            except OSError:
                pass
        finally:
            if server is not None:
                stop(server)
                with running_lock:
                    running.discard(server)
            shutil.rmtree(base, ignore_errors=True)


def main():
    listener = socket.create_server(("127.0.0.1", 0))

    def end(*_):
        with running_lock:
            for server in list(running):
                stop(server)
        os._exit(0)

    signal.signal(signal.SIGTERM, end)
    print(listener.getsockname()[1], flush=True)
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve_one, args=(connection,), daemon=True).start()


if __name__ == "__main__":
    main()
