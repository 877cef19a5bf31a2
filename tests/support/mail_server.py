#!/usr/bin/python3
"""A loopback mail server for the notification tests (Debian's python3-aiosmtpd).

Binds 127.0.0.1 on a free port, prints "PORT <n>" on stdout and then records what it sees
as JSON lines in OUT/events.jsonl: every login ("auth", "pop-login"), every command of a
POP3 session and every mail received ("mail", with the raw text saved beside it and the
message decoded by Python's email package). It stops by itself after --lifetime seconds.

    mail_server.py smtp OUT [--mechanisms LOGIN,PLAIN,CRAM-MD5] [--user U --password P]
                            [--starttls CERT KEY | --implicit-tls CERT KEY] [--lifetime S]
    mail_server.py pop3 OUT --user U --password P [--lifetime S]
"""
import argparse
import asyncio
import base64
import email
import email.policy
import email.utils
import hmac
import json
import logging
import os
import secrets
import ssl
import sys
import time
import warnings

warnings.simplefilter("ignore")
logging.disable(logging.CRITICAL)

MECHANISMS = ("LOGIN", "PLAIN", "CRAM-MD5")


class Recorder:
    def __init__(self, out):
        self.out = out
        self.count = 0

    def event(self, **fields):
        fields["at"] = time.time()
        with open(os.path.join(self.out, "events.jsonl"), "a", encoding="utf-8") as f:
            f.write(json.dumps(fields, ensure_ascii=False) + "\n")
            f.flush()

    def save(self, raw):
        self.count += 1
        name = os.path.join(self.out, "mail-%d.eml" % self.count)
        with open(name, "wb") as f:
            f.write(raw)
        return name


def decode(raw):
    """The message as a mail client sees it."""
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    head, _, _ = raw.partition(b"\r\n\r\n")
    date = msg["date"]
    try:
        parsed = email.utils.parsedate_to_datetime(str(date)) if date else None
    except (TypeError, ValueError):
        parsed = None
    return {
        "subject": str(msg["subject"]) if msg["subject"] is not None else None,
        "raw_subject": raw_header(raw, b"subject"),
        "from": str(msg["from"]) if msg["from"] else None,
        "to": str(msg["to"]) if msg["to"] else None,
        "date": str(date) if date else None,
        "date_epoch": parsed.timestamp() if parsed and parsed.tzinfo else None,
        "message_id": str(msg["message-id"]) if msg["message-id"] else None,
        "mime_version": str(msg["mime-version"]) if msg["mime-version"] else None,
        "content_type": msg.get_content_type(),
        "charset": msg.get_content_charset(),
        "transfer_encoding": str(msg["content-transfer-encoding"] or ""),
        "body": msg.get_content() if msg.get_content_maintype() == "text" else None,
        "defects": [type(d).__name__ for d in msg.defects],
        "bare_line_ends": raw.replace(b"\r\n", b"").count(b"\n") + raw.replace(b"\r\n", b"").count(b"\r"),
        "longest_line": max(len(line) for line in raw.split(b"\r\n")),
        "header_ascii": all(b < 128 for b in head),
    }


def raw_header(raw, name):
    head, _, _ = raw.partition(b"\r\n\r\n")
    lines = head.split(b"\r\n")
    for i, line in enumerate(lines):
        if line.lower().startswith(name + b":"):
            value = [line]
            for cont in lines[i + 1:]:
                if cont[:1] in (b" ", b"\t"):
                    value.append(cont)
                else:
                    break
            return b"\r\n".join(value).decode("ascii", "replace")
    return None


class SmtpHandler:
    def __init__(self, recorder, user, password, implicit_tls):
        self.recorder = recorder
        self.user = user.encode() if user is not None else None
        self.password = password.encode() if password is not None else None
        self.implicit_tls = implicit_tls

    def check(self, server, session, envelope, mechanism, auth_data):
        from aiosmtpd.smtp import AuthResult
        ok = auth_data.login == self.user and auth_data.password == self.password
        self.recorder.event(event="auth", mechanism=mechanism,
                            login=auth_data.login.decode("utf-8", "replace"),
                            password=auth_data.password.decode("utf-8", "replace"), ok=ok)
        return AuthResult(success=ok, handled=False, auth_data=auth_data)

    async def auth_CRAM__MD5(self, server, args):
        from aiosmtpd.smtp import AuthResult, MISSING
        challenge = ("<%s.%d@mail.test>" % (secrets.token_hex(8), int(time.time()))).encode()
        answer = await server.challenge_auth(challenge)
        if answer is MISSING:
            return AuthResult(success=False, handled=True)
        login, _, digest = answer.rpartition(b" ")
        expected = hmac.new(self.password or b"", challenge, "md5").hexdigest().encode()
        ok = login == self.user and hmac.compare_digest(digest, expected)
        self.recorder.event(event="auth", mechanism="CRAM-MD5",
                            login=login.decode("utf-8", "replace"), ok=ok)
        return AuthResult(success=ok, handled=False, auth_data=login)

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        # A mailbox the server does not know.
        if address.startswith("unknown"):
            return "550 5.1.1 No such mailbox"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content
        tls = server.transport.get_extra_info("ssl_object") is not None
        self.recorder.event(event="mail", mail_from=envelope.mail_from, rcpt=envelope.rcpt_tos,
                            ehlo=session.host_name, tls=tls,
                            authenticated=bool(session.authenticated),
                            file=self.recorder.save(raw), decoded=decode(raw))
        return "250 2.0.0 OK queued"


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


async def serve_smtp(args, recorder):
    from aiosmtpd.smtp import SMTP
    offered = [m for m in args.mechanisms.split(",") if m] if args.mechanisms else []
    starttls = tls_context(*args.starttls) if args.starttls else None
    implicit = tls_context(*args.implicit_tls) if args.implicit_tls else None
    handler = SmtpHandler(recorder, args.user, args.password, implicit is not None)
    loop = asyncio.get_running_loop()

    def factory():
        return SMTP(handler, hostname="mail.test", tls_context=starttls,
                    require_starttls=starttls is not None, auth_required=bool(offered),
                    auth_require_tls=False, authenticator=handler.check,
                    auth_exclude_mechanism=[m for m in MECHANISMS if m not in offered],
                    timeout=args.lifetime, loop=loop)

    return await loop.create_server(factory, host="127.0.0.1", port=0, ssl=implicit)


class Pop3Session(asyncio.Protocol):
    def __init__(self, args, recorder):
        self.args, self.recorder = args, recorder
        self.buffer = b""
        self.user = None

    def connection_made(self, transport):
        self.transport = transport
        self.send("+OK mail.test POP3 ready")

    def send(self, line):
        self.transport.write(line.encode() + b"\r\n")

    def data_received(self, data):
        self.buffer += data
        while b"\r\n" in self.buffer:
            line, self.buffer = self.buffer.split(b"\r\n", 1)
            self.command(line.decode("utf-8", "replace"))

    def command(self, line):
        word, _, rest = line.partition(" ")
        word = word.upper()
        self.recorder.event(event="pop-command", command=word)
        if word == "CAPA":
            self.send("+OK capabilities follow")
            self.send("USER")
            self.send(".")
        elif word == "USER":
            self.user = rest
            self.send("+OK send PASS")
        elif word == "PASS":
            ok = self.user == self.args.user and rest == self.args.password
            self.recorder.event(event="pop-login", login=self.user, password=rest, ok=ok)
            self.send("+OK logged in" if ok else "-ERR authentication failed")
        elif word == "STAT":
            self.send("+OK 0 0")
        elif word == "QUIT":
            self.send("+OK bye")
            self.transport.close()
        else:
            self.send("-ERR unknown command")


async def serve_pop3(args, recorder):
    loop = asyncio.get_running_loop()
    return await loop.create_server(lambda: Pop3Session(args, recorder), host="127.0.0.1", port=0)


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("protocol", choices=("smtp", "pop3"))
    parser.add_argument("out")
    parser.add_argument("--mechanisms", default="")
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--implicit-tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--lifetime", type=float, default=60)
    args = parser.parse_args()
    recorder = Recorder(args.out)
    server = await (serve_smtp if args.protocol == "smtp" else serve_pop3)(args, recorder)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    await asyncio.sleep(args.lifetime)
    server.close()


if __name__ == "__main__":
    asyncio.run(main())
    sys.exit(0)
