"""A misbehaving FTP server on 127.0.0.1 for bench/hostile_job.sh (Python standard library only).

Usage: hostile_server.py MODE PORT_FILE
  silent  accepts and never says a word
  drip    sends a long greeting one byte a second (it would take two minutes)
  flood   greets, then answers USER with a multi-line reply that never ends
  blank   greets, then answers USER with empty lines that never end
Writes the port it listens on to PORT_FILE, serves one client at a time, runs until SIGTERM.
"""
import signal
import socket
import sys
import time

GREETING = b"220 Hostile FTP server ready.\r\n"
LONG_GREETING = b"220-Welcome to a slow server.\r\n220-" + b"." * 60 + b"\r\n220 Ready at last.\r\n"


def read_line(conn):
    line = b""
    while not line.endswith(b"\n"):
        chunk = conn.recv(1)
        if not chunk:
            return None
        line += chunk
    return line


def serve(mode, conn):
    if mode == "silent":
        while conn.recv(4096):
            pass
        return
    if mode == "drip":
        for byte in LONG_GREETING:
            conn.sendall(bytes([byte]))
            time.sleep(1)
        return
    conn.sendall(GREETING)
    if read_line(conn) is None:
        return
    if mode == "flood":
        conn.sendall(b"331-Password required, and then some:\r\n")
        burst = b"more and more text of the same reply\r\n" * 2048
    else:
        burst = b"\r\n" * 32768
    while True:
        conn.sendall(burst)


def main():
    mode, port_file = sys.argv[1], sys.argv[2]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(5)
    with open(port_file, "w") as f:
        f.write(str(listener.getsockname()[1]))
    while True:
        conn, _ = listener.accept()
        try:
            serve(mode, conn)
        except OSError:
            pass  # the client gave up: the point of the exercise
        finally:
            conn.close()


if __name__ == "__main__":
    main()
