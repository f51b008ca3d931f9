#!/usr/bin/env python3
"""A loopback SMTP server for the mail tests (aiosmtpd).

  smtp_server.py OUTDIR [--auth USER:PASSWORD] [--reject ADDRESS]
                 [--tls CERT:KEY] [--silent]

Listens on 127.0.0.1 at a free port, prints the port on one line and serves
until killed.  Every accepted message N (1, 2, ...) is written to OUTDIR/N/:
  raw.eml          the message as received
  envelope.txt     "from <address>", "to <address>" lines, "login <name>" when authenticated
  subject.txt      the decoded Subject header (UTF-8)
  to.txt           the To header
  body.bin         the decoded text part, byte for byte
  attachment.name  the attachment's file name, attachment.bin its bytes,
  attachment.type  its content type (only with an attachment)
--auth requires AUTH with those credentials (every AUTH that reaches the
server is noted in OUTDIR/auth-attempts); --reject answers 550 to RCPT TO of
that address; --tls offers STARTTLS with that certificate and takes AUTH only
after it; --silent accepts connections and never answers.
"""
import argparse
import email
import email.header
import os
import signal
import socket
import sys
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

ARGS = None
COUNT = [0]


def decoded_header(value):
    parts = email.header.decode_header(value or "")
    out = b""
    for text, charset in parts:
        out += text.encode("utf-8") if isinstance(text, str) else \
            text.decode(charset or "ascii").encode("utf-8")
    return out


def save(envelope, login):
    COUNT[0] += 1
    folder = os.path.join(ARGS.outdir, str(COUNT[0]))
    os.makedirs(folder, exist_ok=True)

    def put(name, data):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)

    raw = envelope.original_content or envelope.content
    put("raw.eml", raw)
    lines = ["from " + envelope.mail_from] + ["to " + r for r in envelope.rcpt_tos]
    if login:
        lines.append("login " + login)
    put("envelope.txt", ("\n".join(lines) + "\n").encode())
    message = email.message_from_bytes(raw)
    put("subject.txt", decoded_header(message["Subject"]))
    put("to.txt", (message["To"] or "").encode())
    for part in message.walk():
        if part.is_multipart():
            continue
        if part.get_filename():
            put("attachment.name", decoded_header(part.get_filename()))
            put("attachment.bin", part.get_payload(decode=True))
            put("attachment.type", part.get_content_type().encode())
        elif part.get_content_type() == "text/plain":
            put("body.bin", part.get_payload(decode=True))


class Handler:
    async def handle_RCPT(self, server, session, envelope, address, options):
        if ARGS.reject and address == ARGS.reject:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        login = session.auth_data.login.decode() if isinstance(
            session.auth_data, LoginPassword) else ""
        save(envelope, login)
        return "250 Message accepted for delivery"


def authenticator(server, session, envelope, mechanism, auth_data):
    with open(os.path.join(ARGS.outdir, "auth-attempts"), "a") as f:
        f.write(mechanism + "\n")
    if not isinstance(auth_data, LoginPassword) or not ARGS.auth:
        return AuthResult(success=False, handled=False)
    user, password = ARGS.auth.split(":", 1)
    ok = auth_data.login.decode() == user and auth_data.password.decode() == password
    return AuthResult(success=ok, handled=False, auth_data=auth_data)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def silent_server():
    """Accepts connections and never says a word (a hung server)."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    print(listener.getsockname()[1], flush=True)
    held = []
    signal.signal(signal.SIGTERM, lambda *a: sys.exit(0))
    while True:
        connection, _ = listener.accept()
        held.append(connection)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("outdir")
    parser.add_argument("--auth")
    parser.add_argument("--reject")
    parser.add_argument("--tls")
    parser.add_argument("--silent", action="store_true")
    ARGS = parser.parse_args()
    warnings.simplefilter("ignore")
    os.makedirs(ARGS.outdir, exist_ok=True)
    if ARGS.silent:
        silent_server()
        return
    options = {}
    if ARGS.auth:
        options = dict(authenticator=authenticator, auth_required=True,
                       auth_require_tls=bool(ARGS.tls))
    if ARGS.tls:
        import ssl
        cert, key = ARGS.tls.split(":", 1)
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(cert, key)
        options.update(tls_context=context, require_starttls=bool(ARGS.auth))
    port = free_port()
    controller = Controller(Handler(), hostname="127.0.0.1", port=port, **options)
    controller.start()
    print(port, flush=True)
    signal.signal(signal.SIGTERM, lambda *a: (controller.stop(), sys.exit(0)))
    while True:
        signal.pause()


if __name__ == "__main__":
    main()
