"""Runs a real FTP server for tests: one user with write rights on a given root, on 127.0.0.1.

With --certfile and --keyfile it speaks explicit TLS only: AUTH TLS before the log-in and PROT P before any
data connection are required.

Misbehaviour on purpose, for the client's resume: --drop-at cuts the session of the first upload once that many
bytes have arrived, as a line that goes down would; --first-size answers the first SIZE after that drop with
"213 <text>" whatever the file holds; --refuse-restart refuses every store after REST with 451, as a stock
server that lists REST STREAM but does not allow a restarted store does.

Prints the port it listens on as the first line of stdout once it accepts connections, then serves
until SIGTERM.
"""
import argparse
import logging
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def misbehaving(base, args):
    state = {"dropped": args.drop_at <= 0, "lie": args.first_size}

    class DroppingDTP(base.dtp_handler):
        def handle_read(self):
            super().handle_read()
            if not state["dropped"] and self.tot_bytes_received >= args.drop_at:
                state["dropped"] = True
                self.cmd_channel.close()  # closes the data connection with it

        handle_read_event = handle_read  # the base class binds its own handle_read under this name

    class Handler(base):
        dtp_handler = DroppingDTP

        def ftp_SIZE(self, path):
            if state["dropped"] and state["lie"] is not None:
                lie, state["lie"] = state["lie"], None
                self.respond("213 " + lie)
                return None
            return super().ftp_SIZE(path)

        def ftp_STOR(self, file, mode="w"):
            if args.refuse_restart and self._restart_position:
                self._restart_position = 0
                self.respond("451 Append/Restart not permitted, try again")
                return None
            return super().ftp_STOR(file, mode)

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--certfile")
    parser.add_argument("--keyfile")
    # Benchmarks: one server for both, plain FTP and FTPS.
    parser.add_argument("--tls-optional", action="store_true")
    parser.add_argument("--max-cons-per-ip", type=int, default=0)
    parser.add_argument("--drop-at", type=int, default=0)
    parser.add_argument("--first-size")
    parser.add_argument("--refuse-restart", action="store_true")
    parser.add_argument("--ecdh-curve", help="the one key exchange group TLS takes, as some stock daemons do")
    parser.add_argument("--passive-ports", help="LOW-HIGH: the ports passive mode offers (default: any free one)")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    handler = FTPHandler
    if args.certfile:
        from pyftpdlib.handlers import TLS_FTPHandler

        handler = TLS_FTPHandler
        handler.certfile = args.certfile
        handler.keyfile = args.keyfile
        handler.tls_control_required = not args.tls_optional
        handler.tls_data_required = not args.tls_optional
        if args.ecdh_curve:
            from OpenSSL import crypto

            handler.get_ssl_context().set_tmp_ecdh(crypto.get_elliptic_curve(args.ecdh_curve))
    handler = misbehaving(handler, args)
    handler.authorizer = authorizer
    handler.banner = "220 Test server ready."
    # The PORT target must be the control peer's own address (the default, stated because tests rely on it).
    handler.permit_foreign_addresses = False
    if args.passive_ports:
        low, high = (int(port) for port in args.passive_ports.split("-"))
        handler.passive_ports = range(low, high + 1)

    server = FTPServer((args.host, 0), handler)
    server.max_cons = 64
    server.max_cons_per_ip = args.max_cons_per_ip

    def stop(_signum, _frame):
        sys.exit(0)  # serve_forever closes every connection on the way out

    signal.signal(signal.SIGTERM, stop)
    print(server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
