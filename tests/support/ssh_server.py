"""Runs a scripted SSH server for tests on 127.0.0.1: an SFTP subsystem whose "/" is a given local folder.

One user logs in with a password, or with the public key given by --authorized-key. Every connection has a thread
of its own, as a client may open several at once.

Misbehaviour on purpose: --silent-after-greeting sends the version line and then nothing more, whatever comes;
--refuse-writes denies every open for writing; --drop-at cuts the connection of the first upload once that many
bytes have arrived; --first-size then makes the first stat of a file report that size whatever the file holds.

Prints the port it listens on as the first line of stdout once it accepts connections, then serves until SIGTERM.
"""
import argparse
import base64
import logging
import os
import signal
import socket
import stat
import sys
import threading

import paramiko
from paramiko.sftp import SFTP_FAILURE, SFTP_OK, SFTP_PERMISSION_DENIED

WRITE_FLAGS = os.O_WRONLY | os.O_RDWR | os.O_CREAT | os.O_TRUNC | os.O_APPEND


class Script:
    """What the whole server does wrong, shared by every connection."""

    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.first_upload = None  # the handle whose bytes count towards --drop-at
        self.dropped = False
        self.size_lie = int(args.first_size) if args.first_size else None

    def take_size_lie(self):
        with self.lock:
            if not self.dropped or self.size_lie is None:
                return None
            lie, self.size_lie = self.size_lie, None
            return lie

    def counts_towards_drop(self, handle):
        with self.lock:
            if self.args.drop_at <= 0 or self.dropped:
                return False
            if self.first_upload is None:
                self.first_upload = handle
            return self.first_upload is handle

    def mark_dropped(self):
        with self.lock:
            self.dropped = True


def attributes(stat_result, script):
    attrs = paramiko.SFTPAttributes.from_stat(stat_result)
    lie = script.take_size_lie() if stat.S_ISREG(stat_result.st_mode) else None
    if lie is not None:
        attrs.st_size = lie
    return attrs


class Handle(paramiko.SFTPHandle):
    def __init__(self, flags, script, connection):
        super().__init__(flags)
        self.script = script
        self.connection = connection
        self.received = 0
        self.cut_off = False

    def stat(self):
        try:
            return attributes(os.fstat(self.readfile.fileno()), self.script)
        except OSError as e:
            return paramiko.SFTPServer.convert_errno(e.errno)

    def write(self, offset, data):
        # Requests already read before the cut are not served: the file stays as the cut left it.
        if self.cut_off:
            return SFTP_FAILURE
        result = super().write(offset, data)
        if result == SFTP_OK and self.script.counts_towards_drop(self):
            self.received += len(data)
            if self.received >= self.script.args.drop_at:
                self.cut_off = True
                self.script.mark_dropped()
                self.connection.cut()
        return result


class RootedSftp(paramiko.SFTPServerInterface):
    def __init__(self, server, *args, root, script, **kwargs):
        super().__init__(server, *args, **kwargs)
        self.connection = server
        self.root = root
        self.script = script

    def local(self, path):
        return os.path.join(self.root, self.canonicalize(path).lstrip("/"))

    def guarded(self, action):
        try:
            return action()
        except OSError as e:
            return paramiko.SFTPServer.convert_errno(e.errno)

    def list_folder(self, path):
        def listing():
            folder = self.local(path)
            found = []
            for name in os.listdir(folder):
                attrs = paramiko.SFTPAttributes.from_stat(os.lstat(os.path.join(folder, name)))
                attrs.filename = name
                found.append(attrs)
            return found

        return self.guarded(listing)

    def stat(self, path):
        return self.guarded(lambda: attributes(os.stat(self.local(path)), self.script))

    def lstat(self, path):
        return self.guarded(lambda: attributes(os.lstat(self.local(path)), self.script))

    def open(self, path, flags, attr):
        if self.script.args.refuse_writes and flags & WRITE_FLAGS:
            return SFTP_PERMISSION_DENIED

        def opening():
            fd = os.open(self.local(path), flags, 0o644)
            if flags & os.O_WRONLY:
                mode = "ab" if flags & os.O_APPEND else "wb"
            elif flags & os.O_RDWR:
                mode = "a+b" if flags & os.O_APPEND else "r+b"
            else:
                mode = "rb"
            handle = Handle(flags, self.script, self.connection)
            handle.filename = self.local(path)
            handle.readfile = handle.writefile = os.fdopen(fd, mode)
            return handle

        return self.guarded(opening)

    def remove(self, path):
        return self.guarded(lambda: os.remove(self.local(path)) or SFTP_OK)

    def rename(self, oldpath, newpath):
        return self.guarded(lambda: os.rename(self.local(oldpath), self.local(newpath)) or SFTP_OK)

    def posix_rename(self, oldpath, newpath):
        return self.guarded(lambda: os.replace(self.local(oldpath), self.local(newpath)) or SFTP_OK)

    def mkdir(self, path, attr):
        return self.guarded(lambda: os.mkdir(self.local(path)) or SFTP_OK)

    def rmdir(self, path):
        return self.guarded(lambda: os.rmdir(self.local(path)) or SFTP_OK)

    def chattr(self, path, attr):
        return self.guarded(lambda: paramiko.SFTPServer.set_file_attr(self.local(path), attr) or SFTP_OK)


class Connection(paramiko.ServerInterface):
    def __init__(self, sock, args):
        self.sock = sock
        self.args = args
        self.transport = None
        self.key = None
        if args.authorized_key:
            kind, blob = args.authorized_key.split()[:2]
            self.key = (kind, blob)

    def cut(self):
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.transport.close()

    def get_allowed_auths(self, username):
        return "password,publickey" if self.key else "password"

    def check_auth_password(self, username, password):
        ok = username == self.args.user and password == self.args.password
        return paramiko.AUTH_SUCCESSFUL if ok else paramiko.AUTH_FAILED

    def check_auth_publickey(self, username, key):
        ok = username == self.args.user and self.key == (key.get_name(), key.get_base64())
        return paramiko.AUTH_SUCCESSFUL if ok else paramiko.AUTH_FAILED

    def check_channel_request(self, kind, chanid):
        if kind == "session":
            return paramiko.OPEN_SUCCEEDED
        return paramiko.OPEN_FAILED_ADMINISTRATIVELY_PROHIBITED


def serve_silently(sock):
    sock.sendall(b"SSH-2.0-FerryloTest\r\n")
    while sock.recv(4096):
        pass


def serve(sock, args, host_key, script):
    try:
        if args.silent_after_greeting:
            serve_silently(sock)
            return
        connection = Connection(sock, args)
        transport = paramiko.Transport(sock)
        connection.transport = transport
        transport.add_server_key(host_key)
        transport.set_subsystem_handler("sftp", paramiko.SFTPServer, RootedSftp, root=args.root, script=script)
        transport.start_server(server=connection)
        transport.join()
    except (OSError, EOFError, paramiko.SSHException) as e:
        logging.info("connection ended: %s", e)
    finally:
        sock.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--host-key", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--authorized-key")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--silent-after-greeting", action="store_true")
    parser.add_argument("--refuse-writes", action="store_true")
    parser.add_argument("--drop-at", type=int, default=0)
    parser.add_argument("--first-size")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    host_key = paramiko.Ed25519Key(filename=args.host_key)
    script = Script(args)

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind((args.host, 0))
    listener.listen(64)

    def stop(_signum, _frame):
        sys.exit(0)  # the connection threads are daemons and end with the process

    signal.signal(signal.SIGTERM, stop)
    print(listener.getsockname()[1], flush=True)
    while True:
        sock, _ = listener.accept()
        threading.Thread(target=serve, args=(sock, args, host_key, script), daemon=True).start()


if __name__ == "__main__":
    main()
