"""A real FTP server for the resume benchmark: pyftpdlib on 127.0.0.1 that drops its first upload.

When the first upload has received --drop-at bytes, the server closes that session's control and data
connections at once, as a line that goes down would. With --no-rest the server offers no REST (and
says so in FEAT), so a client has to send the whole file again. Prints the port as the first line of
stdout, then each STOR and REST it gets on stderr, and serves until SIGTERM.
"""
import argparse
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--drop-at", type=int, default=0)
    parser.add_argument("--no-rest", action="store_true")
    args = parser.parse_args()
    state = {"dropped": args.drop_at <= 0}

    class DroppingDTP(DTPHandler):
        def handle_read(self):
            super().handle_read()
            if not state["dropped"] and self.tot_bytes_received >= args.drop_at:
                state["dropped"] = True
                print("dropped at %d" % self.tot_bytes_received, file=sys.stderr, flush=True)
                self.cmd_channel.close()  # closes the data connection with it

        handle_read_event = handle_read  # the base class binds its own handle_read under this name

    class Handler(FTPHandler):
        dtp_handler = DroppingDTP

        def ftp_REST(self, line):
            print("REST %s" % line, file=sys.stderr, flush=True)
            return super().ftp_REST(line)

        def ftp_STOR(self, file, mode="w"):
            print("STOR %s" % file, file=sys.stderr, flush=True)
            return super().ftp_STOR(file, mode)

    if args.no_rest:
        Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k != "REST"}
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    Handler.authorizer = authorizer
    Handler.banner = "220 Bench server ready."

    server = FTPServer(("127.0.0.1", 0), Handler)
    signal.signal(signal.SIGTERM, lambda _signum, _frame: sys.exit(0))
    print(server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
