#!/usr/bin/env python3
"""A loopback FTP server for the transfer tests (pyftpdlib).

  ftp_server.py ROOT USER PASSWORD [--drop-after BYTES] [--extra-name NAME ...]

Listens on 127.0.0.1 at a free port, prints the port on one line and serves
until killed.  --drop-after closes the control and data connections once that
many bytes of a file went out (a server that drops mid-download);
--extra-name adds a name to every directory listing (a hostile listing).
"""
import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

ARGS = None


class ListingFS(AbstractedFS):
    def listdir(self, path):
        return list(super().listdir(path)) + list(ARGS.extra_name)


class DroppingDTP(DTPHandler):
    def use_sendfile(self):
        return False

    def send(self, data):
        if ARGS.drop_after is not None and self.file_obj is not None:
            room = ARGS.drop_after - self.tot_bytes_sent
            if room <= 0:
                command = self.cmd_channel
                self.close()
                command.close()
                return 0
            data = data[:room]
        return super().send(data)


def main():
    global ARGS
    p = argparse.ArgumentParser()
    p.add_argument("root")
    p.add_argument("user")
    p.add_argument("password")
    p.add_argument("--drop-after", type=int)
    p.add_argument("--extra-name", action="append", default=[])
    ARGS = p.parse_args()
    authorizer = DummyAuthorizer()
    authorizer.add_user(ARGS.user, ARGS.password, ARGS.root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.abstracted_fs = ListingFS
    handler.dtp_handler = DroppingDTP
    handler.use_sendfile = False
    handler.passive_ports = None
    log = logging.getLogger("pyftpdlib")
    log.addHandler(logging.NullHandler())
    log.setLevel(logging.ERROR)
    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.address[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
