#!/usr/bin/env python3
"""The vendor's customer-relations service, as DownloadRequest.exe talks to it.

    python3 service/vendor_service.py --port 8080            serve
    python3 service/vendor_service.py --port 8443 --tls CERT KEY   serve over TLS
    python3 service/vendor_service.py --data DIR --show      print what was stored

POST /frmAction/download.aspx?FromSite=yes takes the form, checks it, stores it
in SQLite and writes the e-mail with the download paths into an outbox folder
(and sends it over SMTP when --smtp HOST:PORT is given). "/" and
"/english/downloads/thankyou.html" are the vendor's home and thank-you pages.
"""
import argparse
import codecs
import contextlib
import datetime
import email.message
import email.utils
import html
import smtplib
import sqlite3
import ssl
import sys
import threading
import time
import unicodedata
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

ENDPOINT = "/frmAction/download.aspx"
MAX_BODY = 64 * 1024
FIELDS = ("EmailAddress", "EmailType", "rootURL", "SelectProduct", "HowReached", "FullName", "Phone")
FIXED = {"EmailType": "2", "SelectProduct": "2", "HowReached": "Other"}
DOWNLOADS = ("/downloads/product/setup.exe", "/downloads/product/manual.pdf")

PAGES = {
    "/": ("Welcome", "<p>Thank you for visiting. Start DownloadRequest to ask for the download.</p>"),
    "/english/downloads/thankyou.html": (
        "Thank you",
        "<p>Your request has arrived. An e-mail with the download paths is on its way to you.</p>"),
}


# The program names its Windows ANSI code page; these names mean Windows' own
# variant of the encoding, as web browsers take them too.
WINDOWS_CODECS = {"shift_jis": "cp932", "gbk": "cp936", "ks_c_5601-1987": "cp949", "big5": "cp950",
                  "windows-874": "cp874"}


class Rejection(Exception):
    """A form the service does not take; the text is the reason given to the client."""


def form_codec(content_type):
    """The codec for the form's bytes: the Content-Type's charset, Windows-1252 without one."""
    header = email.message.Message()
    header["Content-Type"] = content_type or "application/x-www-form-urlencoded"
    charset = header.get_content_charset("windows-1252")
    try:
        return codecs.lookup(WINDOWS_CODECS.get(charset, charset)).name
    except LookupError:
        raise Rejection(f"The charset {charset} is unknown.") from None


def parse_form(body, host, codec="cp1252"):
    """The seven fields of a posted form, checked; raises Rejection."""
    if len(body) > MAX_BODY:
        raise Rejection(f"The form is larger than {MAX_BODY} bytes.")
    text = body.decode("ascii", errors="strict") if body.isascii() else None
    if text is None:
        raise Rejection("The form is not URL-encoded text.")
    if text.endswith("\r\n"):
        text = text[:-2]
    try:
        # The program sends the text of a Windows ANSI code page, byte for byte.
        pairs = urllib.parse.parse_qsl(text, keep_blank_values=True, strict_parsing=True, encoding=codec,
                                       errors="strict")
    except UnicodeDecodeError:
        raise Rejection(f"The form is not {codec} text.") from None
    except ValueError:
        raise Rejection("The form is not URL-encoded.") from None
    names = [name for name, _ in pairs]
    for name in names:
        if name not in FIELDS:
            raise Rejection(f"Unexpected field {name}.")
        if names.count(name) > 1:
            raise Rejection(f"Field {name} is given more than once.")
    missing = [name for name in FIELDS if name not in names]
    if missing:
        raise Rejection("Missing field " + ", ".join(missing) + ".")
    form = dict(pairs)
    for name, value in pairs:
        if any(unicodedata.category(c) == "Cc" for c in value):
            raise Rejection(f"Field {name} holds a control character.")
    expected = dict(FIXED, rootURL=f"http://{host.split(':')[0]}/")
    for name, value in expected.items():
        if form[name] != value:
            raise Rejection(f"Field {name} must be {value!r}, not {form[name]!r}.")
    if "@" not in form["EmailAddress"]:
        raise Rejection("The e-mail address has no @.")
    if not form["FullName"]:
        raise Rejection("The full name is empty.")
    return form


class Store:
    """Accepted requests in SQLite, committed before the client hears of them."""

    def __init__(self, path):
        self.lock = threading.Lock()
        self.db = sqlite3.connect(path, check_same_thread=False)
        self.db.execute("PRAGMA journal_mode=WAL")
        columns = ", ".join(f"{name} TEXT NOT NULL" for name in FIELDS)
        self.db.execute(f"CREATE TABLE IF NOT EXISTS requests (id INTEGER PRIMARY KEY, received TEXT NOT NULL, "
                        f"client TEXT NOT NULL, {columns})")
        self.db.commit()

    @contextlib.contextmanager
    def adding(self, client, form):
        """The new request's id; it stays stored only when the block using it succeeds."""
        with self.lock, self.db:
            cursor = self.db.execute(
                f"INSERT INTO requests (received, client, {', '.join(FIELDS)}) VALUES (?, ?{', ?' * len(FIELDS)})",
                (datetime.datetime.now(datetime.timezone.utc).isoformat(timespec="seconds"), client,
                 *(form[name] for name in FIELDS)))
            yield cursor.lastrowid

    def all(self):
        with self.lock:
            cursor = self.db.execute(f"SELECT id, received, client, {', '.join(FIELDS)} FROM requests ORDER BY id")
            names = [column[0] for column in cursor.description]
            return [dict(zip(names, row)) for row in cursor.fetchall()]

    def close(self):
        self.db.close()


def download_mail(form, request_id, host, scheme="http"):
    site = host.split(":")[0]
    message = email.message.EmailMessage()
    message["From"] = f"Downloads <downloads@{site}>"
    message["To"] = email.utils.formataddr((form["FullName"], form["EmailAddress"]))
    message["Subject"] = "Your download paths"
    message["Date"] = email.utils.formatdate(localtime=True)
    message["Message-ID"] = email.utils.make_msgid(idstring=f"request{request_id}", domain=site)
    links = "\n".join(f"  {scheme}://{host}{path}" for path in DOWNLOADS)
    message.set_content(
        f"Dear {form['FullName']},\n\nthank you for your interest. The files are here:\n\n{links}\n\n"
        "The manual explains the installation.\nWrite to us if you need technical support.\n")
    return message


class Service(ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 128  # a burst of clients waits to be accepted instead of being reset

    def __init__(self, port, data, smtp=None, delay=0.0, tls=None):
        """tls: (certificate chain file, key file[, TLS 1.3 alone]) to serve HTTPS instead of HTTP."""
        self.data = Path(data)
        self.outbox = self.data / "outbox"
        self.outbox.mkdir(parents=True, exist_ok=True)
        self.store = Store(self.data / "requests.sqlite3")
        self.smtp = smtp
        self.delay = delay
        self.log = []  # every line the handlers logged: request lines, refused handshakes
        super().__init__(("127.0.0.1", port), Handler)
        self.scheme = "https" if tls else "http"
        if tls:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*tls[:2])
            if len(tls) > 2 and tls[2]:
                context.minimum_version = ssl.TLSVersion.TLSv1_3
            # The handshake happens on the request's own thread, so a slow or
            # refusing client holds up nobody else.
            self.socket = context.wrap_socket(self.socket, server_side=True, do_handshake_on_connect=False)

    def accept(self, client, form, host):
        # A request is stored together with its e-mail, or neither is kept.
        mail_file = None
        try:
            with self.store.adding(client, form) as request_id:
                message = download_mail(form, request_id, host, self.scheme)
                mail_file = self.outbox / f"request-{request_id:06d}.eml"
                mail_file.write_bytes(bytes(message))
        except BaseException:
            if mail_file:
                mail_file.unlink(missing_ok=True)
            raise
        if self.smtp:
            try:
                with smtplib.SMTP(*self.smtp, timeout=10) as connection:
                    connection.send_message(message)
            except (OSError, smtplib.SMTPException) as failure:
                # Stored and in the outbox: the mail can go out later.
                print(f"request {request_id}: mail not sent: {failure}", file=sys.stderr, flush=True)
        return request_id

    def server_close(self):
        super().server_close()
        self.store.close()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    timeout = 60  # a client that stops talking is let go
    # An answer is two writes, headers then page: without this, the page waits for
    # the client's acknowledgement of the headers, which a kept-alive client delays.
    disable_nagle_algorithm = True

    def log_message(self, format, *args):
        self.server.log.append(format % args)
        if not getattr(self.server, "quiet", False):
            super().log_message(format, *args)

    def handle(self):
        if isinstance(self.connection, ssl.SSLSocket):
            try:
                self.connection.do_handshake()
            except (ssl.SSLError, OSError) as refusal:
                return self.log_message("TLS handshake failed: %s", refusal)
        super().handle()
        if not getattr(self, "requestline", ""):
            self.log_message("connection closed without a request")

    def answer(self, status, title, text):
        page = (f"<!DOCTYPE html>\n<html><head><title>{html.escape(title)}</title></head>\n"
                f"<body><h1>{html.escape(title)}</h1>\n{text}\n</body></html>\n").encode()
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(page)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(page)
        self.close_connection = True

    def do_GET(self):
        if self.path in PAGES:
            self.answer(200, *PAGES[self.path])
        else:
            self.answer(404, "Not found", "<p>There is no such page.</p>")

    def do_POST(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path != ENDPOINT or urllib.parse.parse_qs(url.query).get("FromSite") != ["yes"]:
            return self.answer(404, "Not found", "<p>There is no such form.</p>")
        length = self.headers.get("Content-Length", "")
        if not length.isdigit():
            return self.answer(411, "Length required", "<p>The form must announce its length.</p>")
        if int(length) > MAX_BODY:
            return self.answer(400, "Request refused", f"<p>The form is larger than {MAX_BODY} bytes.</p>")
        body = self.rfile.read(int(length))
        host = self.headers.get("Host", "")
        try:
            form = parse_form(body, host, form_codec(self.headers.get("Content-Type")))
        except Rejection as reason:
            return self.answer(400, "Request refused", f"<p>{html.escape(str(reason))}</p>")
        time.sleep(self.server.delay)
        try:
            request_id = self.server.accept(self.client_address[0], form, host)
        except Exception as failure:  # the client hears why, and nothing was kept
            self.log_error("request not completed: %r", failure)
            return self.answer(500, "Request not completed",
                               f"<p>The service could not complete the request: {html.escape(str(failure))}</p>")
        self.answer(200, "Request received",
                    f"<p>Request {request_id}: the download paths are on their way to "
                    f"{html.escape(form['EmailAddress'])}.</p>")


def show(data):
    data = Path(data)
    store = Store(data / "requests.sqlite3")
    for row in store.all():
        print(" | ".join(f"{name}={value}" for name, value in row.items()))
    store.close()
    mails = sorted((data / "outbox").glob("*.eml"))
    if mails:
        print(f"\n--- {mails[-1]} ---")
        print(mails[-1].read_text(), end="")


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=8080, help="loopback port to serve on")
    parser.add_argument("--data", default="service-data", help="folder for the database and the outbox")
    parser.add_argument("--smtp", metavar="HOST:PORT", help="also send each e-mail through this SMTP server")
    parser.add_argument("--delay", type=float, default=0.0, help="seconds to wait before answering a form")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"), help="serve HTTPS with this certificate chain and key")
    parser.add_argument("--show", action="store_true", help="print the stored requests and the newest e-mail")
    args = parser.parse_args(argv)
    if args.show:
        return show(args.data)
    smtp = None
    if args.smtp:
        host, _, port = args.smtp.rpartition(":")
        smtp = (host, int(port))
    service = Service(args.port, args.data, smtp, args.delay, args.tls)
    print(f"serving on {service.scheme}://127.0.0.1:{service.server_address[1]}/, data in {args.data}", flush=True)
    try:
        service.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        service.server_close()


if __name__ == "__main__":
    sys.exit(main())
