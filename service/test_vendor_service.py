"""The vendor service: what it takes, what it refuses, what it keeps."""
import contextlib
import email
import email.policy
import json
import os
import socket
import subprocess
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request
from pathlib import Path

from service.vendor_service import MAX_BODY, Service, Store

FORM = [("EmailAddress", "jo@example.com"), ("EmailType", "2"), ("rootURL", "http://127.0.0.1/"),
        ("SelectProduct", "2"), ("HowReached", "Other"), ("FullName", "Jo Bloggs"), ("Phone", "0123")]


def encode(pairs, codec="cp1252"):
    """The body as the program builds it: every byte but letters and digits escaped, CR LF at the end."""
    return ("&".join(f"{name}={urllib.parse.quote(value, safe='', encoding=codec)}" for name, value in pairs)
            + "\r\n").encode()


class Running:
    """The service on a free loopback port, in a thread of the test."""

    def __init__(self, data):
        self.service = Service(0, data)
        self.service.quiet = True
        self.port = self.service.server_address[1]
        self.thread = threading.Thread(target=self.service.serve_forever, daemon=True)
        self.thread.start()

    def post(self, body, path="/frmAction/download.aspx?FromSite=yes", charset=None):
        content_type = "application/x-www-form-urlencoded" + (f"; charset={charset}" if charset else "")
        request = urllib.request.Request(f"http://127.0.0.1:{self.port}{path}", data=body, method="POST",
                                         headers={"Content-Type": content_type})
        try:
            with urllib.request.urlopen(request, timeout=10) as answer:
                return answer.status, answer.read().decode()
        except urllib.error.HTTPError as refusal:
            return refusal.code, refusal.read().decode()

    def stop(self):
        self.service.shutdown()
        self.service.server_close()
        self.thread.join()


class VendorServiceTest(unittest.TestCase):
    def setUp(self):
        self.data = tempfile.TemporaryDirectory()
        self.running = Running(self.data.name)

    def tearDown(self):
        self.running.stop()
        self.data.cleanup()

    def stored(self):
        store = Store(Path(self.data.name) / "requests.sqlite3")
        rows = store.all()
        store.close()
        return rows

    def test_an_accepted_form_is_stored_and_mailed(self):
        pairs = FORM[:5] + [("FullName", "Zoë O'Brien & Co"), ("Phone", "")]
        status, page = self.running.post(encode(pairs))
        self.assertEqual(200, status, page)
        [row] = self.stored()
        self.assertEqual(dict(pairs), {name: row[name] for name, _ in pairs})
        self.assertEqual("127.0.0.1", row["client"])
        [mail_file] = (Path(self.data.name) / "outbox").glob("*.eml")
        mail = email.message_from_bytes(mail_file.read_bytes(), policy=email.policy.default)
        self.assertEqual("jo@example.com", mail["To"].addresses[0].addr_spec)
        self.assertIn("/downloads/product/setup.exe", mail.get_content())
        self.assertIn("Zoë O'Brien & Co", mail.get_content())

    def test_refusals_name_their_reason(self):
        def changed(name, value):
            return [(n, value if n == name else v) for n, v in FORM]

        cases = {
            "Missing field Phone": encode(FORM[:6]),
            "Unexpected field Coupon": encode(FORM + [("Coupon", "x")]),
            "more than once": encode(FORM + [("Phone", "1")]),
            "Field SelectProduct must be": encode(changed("SelectProduct", "3")),
            "Field rootURL must be": encode(changed("rootURL", "http://elsewhere/")),
            "has no @": encode(changed("EmailAddress", "jo.example.com")),
            "larger than": b"EmailAddress=" + b"a" * MAX_BODY,
            "not URL-encoded": b"EmailAddress",
            "Field FullName holds a control character": encode(changed("FullName", "Jo\r\nBcc: x@example.com")),
            "Field Phone holds a control character": encode(changed("Phone", "01\x0023")),
            "not cp932 text": (encode(FORM).replace(b"Bloggs", b"%82"), "shift_jis"),
            "charset klingon is unknown": (encode(FORM), "klingon"),
        }
        for reason, body in cases.items():
            with self.subTest(reason):
                body, charset = body if isinstance(body, tuple) else (body, None)
                status, page = self.running.post(body, charset=charset)
                self.assertEqual(400, status)
                self.assertIn(reason, page)
        self.assertEqual(404, self.running.post(encode(FORM), "/frmAction/download.aspx")[0])
        self.assertEqual([], self.stored())

    def test_names_arrive_in_the_code_page_the_request_names(self):
        cases = [(None, "cp1252", "José Ñúñez"), ("windows-1252", "cp1252", "Zoë Œuvre"),
                 ("windows-1251", "cp1251", "Иван Петров"), ("shift_jis", "cp932", "山田 太郎")]
        for charset, codec, name in cases:
            pairs = FORM[:5] + [("FullName", name), ("Phone", "")]
            self.assertEqual(200, self.running.post(encode(pairs, codec), charset=charset)[0], charset)
        self.assertEqual([name for _, _, name in cases], [row["FullName"] for row in self.stored()])
        outbox = sorted((Path(self.data.name) / "outbox").glob("*.eml"))
        self.assertIn("山田 太郎", email.message_from_bytes(outbox[-1].read_bytes(), policy=email.policy.default)
                      .get_content())

    def test_a_request_is_kept_with_its_mail_or_not_at_all(self):
        from unittest import mock
        with mock.patch("service.vendor_service.download_mail", side_effect=ValueError("no mail today")):
            status, page = self.running.post(encode(FORM))
        self.assertEqual(500, status)
        self.assertIn("no mail today", page)
        with mock.patch("pathlib.Path.write_bytes", side_effect=OSError("disk full")):
            self.assertEqual(500, self.running.post(encode(FORM))[0])
        self.assertEqual([], self.stored())
        self.assertEqual([], list((Path(self.data.name) / "outbox").glob("*")))
        self.assertEqual(200, self.running.post(encode(FORM))[0])  # and the service goes on
        self.assertEqual(1, len(self.stored()))

    def test_twenty_at_once_are_all_stored(self):
        def post(i):
            pairs = [(n, f"user{i}@example.com" if n == "EmailAddress" else v) for n, v in FORM]
            results[i] = self.running.post(encode(pairs))[0]

        results = [None] * 20
        threads = [threading.Thread(target=post, args=(i,)) for i in range(20)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual([200] * 20, results)
        self.assertEqual({f"user{i}@example.com" for i in range(20)}, {r["EmailAddress"] for r in self.stored()})
        self.assertEqual(20, len(list((Path(self.data.name) / "outbox").glob("*.eml"))))

    def test_stored_requests_survive_a_restart(self):
        self.assertEqual(200, self.running.post(encode(FORM))[0])
        self.running.stop()
        self.running = Running(self.data.name)
        self.assertEqual(200, self.running.post(encode(FORM))[0])
        self.assertEqual([1, 2], [row["id"] for row in self.stored()])

    def test_mail_goes_out_over_smtp_too(self):
        received = []
        listener = socket.create_server(("127.0.0.1", 0))

        def smtp_server():  # just enough SMTP for one message
            connection, _ = listener.accept()
            with connection, connection.makefile("rb") as lines:
                connection.sendall(b"220 test\r\n")
                for line in lines:
                    command = line.strip().upper()
                    if command == b"DATA":
                        connection.sendall(b"354 go on\r\n")
                        received.append(b"".join(iter(lines.readline, b".\r\n")))
                    elif command == b"QUIT":
                        connection.sendall(b"221 bye\r\n")
                        return
                    connection.sendall(b"250 ok\r\n")

        thread = threading.Thread(target=smtp_server, daemon=True)
        thread.start()
        self.running.service.smtp = ("127.0.0.1", listener.getsockname()[1])
        self.assertEqual(200, self.running.post(encode(FORM))[0])
        thread.join(10)
        listener.close()
        self.assertEqual(1, len(received))
        self.assertIn(b"To: Jo Bloggs <jo@example.com>", received[0])

    def test_pages(self):
        for path in ("/", "/english/downloads/thankyou.html"):
            with urllib.request.urlopen(f"http://127.0.0.1:{self.running.port}{path}", timeout=10) as page:
                self.assertEqual(200, page.status)


def windows_path(path):
    """The path under which Wine's programs see a Linux path."""
    harness = Path(os.environ["DR_RUN_E2E"]).parent
    return subprocess.run([harness / "windows-path", path], capture_output=True, text=True, check=True).stdout.strip()


class DrivesTheProgram:
    """What the tests with the real program under Wine share: a service, the driver, what was stored."""

    @contextlib.contextmanager
    def serving(self, port, tls=None):
        with tempfile.TemporaryDirectory() as data:
            service = Service(port, data, tls=tls)
            service.quiet = True
            thread = threading.Thread(target=service.serve_forever, daemon=True)
            thread.start()
            try:
                yield service
            finally:
                service.shutdown()
                service.server_close()

    def drive(self, driver, program, *mode, env=None):
        """Runs the driver; returns what it printed (the messages it read among it)."""
        run = subprocess.run([os.environ["DR_RUN_E2E"], os.environ["DR_WINE_SESSION_DIR"], driver, program,
                              os.environ["DR_OUTPUT"], *mode], capture_output=True, text=True, timeout=240, env=env)
        print(run.stdout, run.stderr)
        self.assertEqual(0, run.returncode)
        return run.stdout

    def refused(self, driver, program, message, cause, env=None):
        """The program does not get through: its message begins so and names the cause."""
        said = self.drive(driver, program, "--refusing-program", message.encode().hex(), env=env)
        self.assertIn(cause, said)

    def assertStored(self, service, name="Jo Bloggs"):
        self.assertEqual([("jo@example.com", name, "0123")],
                         [(row["EmailAddress"], row["FullName"], row["Phone"]) for row in service.store.all()])

    def certificates(self, host=None):
        """A fresh test CA and certificates for HOST, the CA trusted in the session's prefix."""
        certificates = Path(os.environ["DR_CERTIFICATES"])
        subprocess.run([os.environ["DR_MAKE_CERTIFICATES"], certificates, *([host] if host else [])], check=True)
        trust = subprocess.run([os.environ["DR_WINE_SESSION"], "run", os.environ["DR_WINE_SESSION_DIR"],
                                os.environ["DR_TRUST"], windows_path(certificates / "ca.der")])
        self.assertEqual(0, trust.returncode)
        return certificates


@unittest.skipUnless(os.environ.get("DR_FORM_DRIVER"), "needs the Windows build and its Wine session")
class RealProgramTest(DrivesTheProgram, unittest.TestCase):
    """DownloadRequest.exe under Wine posts a form to this service, over HTTP and over TLS."""

    def test_the_program_posts_to_the_service(self):
        # Every character arrives as typed, in UTF-8, and the request says so: also where
        # Windows ignores the manifest's UTF-8 (before 10 version 1903), as the program
        # built without it shows on a western and a Japanese system (Wine takes the
        # system's code page from LC_ALL: 1252 and 932).
        program, system_code_page = os.environ["DR_PROGRAM"], os.environ["DR_PROGRAM_SYSTEM_CODE_PAGE"]
        five_scripts = "Łódź Ελένη Алёна 王小明 😀"
        cases = [(None, program, "Jo Bloggs"), ("ru_RU.UTF-8", program, "Иван Петров"),
                 (None, program, "Zoë Ἀθηνᾶ 山田 😀 Иван محمد"), (None, program, "漢" * 255),
                 ("ja_JP.UTF-8", program, "あ" * 255), ("ja_JP.UTF-8", system_code_page, "あ" * 255),
                 ("en_US.UTF-8", system_code_page, five_scripts), ("ja_JP.UTF-8", system_code_page, five_scripts)]
        for locale, program, name in cases:
            with self.subTest(locale=locale, program=program, name=name[:12]), \
                    self.serving(int(os.environ["DR_SERVICE_PORT"])) as service:
                env = dict(os.environ, **({"LC_ALL": locale} if locale else {}))
                self.drive(os.environ["DR_FORM_DRIVER"], program, "--real-service", name.encode().hex(), env=env)
                self.assertStored(service, name)

    def test_certificates_are_checked(self):
        # A fresh CA, trusted only in the test prefix; the service presents each certificate in turn,
        # or speaks TLS 1.3 alone, which WinInet does not. Each refusal names its cause.
        certificates = self.certificates()
        causes = {"valid": None, "expired": "expired", "otherhost": "common name (host name field) is incorrect",
                  "unknownca": "could not be checked for revocation",  # Wine's 12057 for a chain it cannot complete
                  "selfsigned": "an untrusted authority",
                  "tls13only": "No secure connection could be agreed"}
        for certificate, cause in causes.items():
            name = "valid" if certificate == "tls13only" else certificate
            tls = (certificates / f"{name}.pem", certificates / f"{name}.key", certificate == "tls13only")
            with self.subTest(certificate), self.serving(int(os.environ["DR_TLS_PORT"]), tls) as service:
                accepted = cause is None
                if accepted:
                    self.drive(os.environ["DR_TLS_DRIVER"], os.environ["DR_TLS_PROGRAM"], "--real-service")
                else:
                    self.refused(os.environ["DR_TLS_DRIVER"], os.environ["DR_TLS_PROGRAM"],
                                 "Error Sending the Information to Server.", cause)
                print(certificate, service.log)
                if accepted:
                    self.assertStored(service)
                    self.assertTrue(any(line.startswith('"POST /frmAction/') for line in service.log))
                else:  # the program came, but sent not a request line, not a byte of the form
                    self.assertEqual([], service.store.all())
                    self.assertTrue(service.log)
                    self.assertTrue(all(line.startswith(("TLS handshake failed", "connection closed without"))
                                        for line in service.log), service.log)

def wait_for_port(port, seconds=10):
    for _ in range(seconds * 20):
        with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), 0.5):
            return True
        time.sleep(0.05)
    return False


class Proxy:
    """A proxy of Debian's on a free loopback port, with a configuration of its own in `directory`, which
    alone knows the service's name; started on another port if its own was taken in the meantime."""

    def __init__(self, directory, host):
        self.directory = Path(directory)
        self.directory.chmod(0o777)  # the proxy writes as its own user
        for attempt in range(3):
            with socket.create_server(("127.0.0.1", 0)) as probe:
                self.port = probe.getsockname()[1]
            self.process = subprocess.Popen(self.command(host), stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
            if wait_for_port(self.port):
                return
            self.stop()
        log = self.directory / self.LOG
        raise RuntimeError(f"{type(self).__name__} did not start: " + (log.read_text(errors="replace")
                                                                       if log.exists() else "no log"))

    def log(self):
        return []

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


class Squid(Proxy):
    """Debian's squid: it knows the service's name from its hosts file, logs each request as its method,
    URL and user, and with `password` lets nobody through without jo's ("secret")."""

    LOG = "cache.log"

    def __init__(self, directory, host, password=False):
        self.password = password
        super().__init__(directory, host)

    def command(self, host):
        (self.directory / "hosts").write_text(f"127.0.0.1 {host}\n")
        config = [f"http_port 127.0.0.1:{self.port}", f"pid_filename {self.directory}/squid.pid",
                  f"hosts_file {self.directory}/hosts", f"cache_log {self.directory}/cache.log",
                  "logformat line %rm %ru %un", f"access_log stdio:{self.directory}/access.log line",
                  "strip_query_terms off", "cache deny all", "shutdown_lifetime 0 seconds", "pinger_enable off",
                  "visible_hostname proxy.test", f"coredump_dir {self.directory}"]
        if self.password:
            entry = subprocess.run(["openssl", "passwd", "-apr1", "secret"], capture_output=True, text=True,
                                   check=True).stdout.strip()
            (self.directory / "passwords").write_text(f"jo:{entry}\n")
            config += [f"auth_param basic program /usr/lib/squid/basic_ncsa_auth {self.directory}/passwords",
                       "auth_param basic realm staff", "acl staff proxy_auth REQUIRED", "http_access deny !staff"]
        config += ["http_access allow all"]
        (self.directory / "squid.conf").write_text("\n".join(config) + "\n")
        # A service name of its own keeps its shared memory apart from any other squid's (the machine's own
        # may run). Where /dev/shm is not for everyone (a chroot's), it gets one of its own, in a mount
        # namespace kept from every other process.
        command = ["squid", "-n", f"drtest{self.port}", "-N", "-f", str(self.directory / "squid.conf")]
        if not os.stat("/dev/shm").st_mode & 0o002:
            own_shm = ('{ mount --make-rprivate / || mount --make-rprivate /dev; } 2>/dev/null && '
                       'mount -t tmpfs -o mode=1777 shm /dev/shm && exec "$@"')
            command = ["unshare", "-m", "--propagation", "unchanged", "sh", "-c", own_shm, "-"] + command
        return command

    def log(self):
        """Method, URL and user of each request, without the connections that only checked squid was up."""
        path = self.directory / "access.log"
        return [line for line in path.read_text().splitlines() if not line.startswith("- ")] if path.exists() else []


class Tinyproxy(Proxy):
    """Debian's tinyproxy, asking for jo's password ("secret"): it answers 407 at once and closes the
    connection, a request's body unread. It knows the service's name from an /etc/hosts of its own."""

    LOG = "tinyproxy.log"

    def command(self, host):
        (self.directory / "hosts").write_text(f"127.0.0.1 localhost\n127.0.0.1 {host}\n")
        (self.directory / "tinyproxy.conf").write_text(
            f"Port {self.port}\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\nBasicAuth jo secret\n"
            f"LogFile \"{self.directory}/tinyproxy.log\"\n")
        own_hosts = '{ mount --make-rprivate / || mount --make-rprivate /etc; } 2>/dev/null; mount --bind "$0" /etc/hosts && exec "$@"'
        return ["unshare", "-m", "--propagation", "unchanged", "sh", "-c", own_hosts, str(self.directory / "hosts"),
                "tinyproxy", "-d", "-c", str(self.directory / "tinyproxy.conf")]


class Recorder:
    """A stand-in in the service's place: passes each connection on to the service and keeps the bytes
    the client sent, as they crossed the wire."""

    def __init__(self, port, service_port):
        self.listener = socket.create_server(("127.0.0.1", port))
        self.service_port = service_port
        self.received = []
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        with contextlib.suppress(OSError):
            while True:
                client, _ = self.listener.accept()
                upstream = socket.create_connection(("127.0.0.1", self.service_port))
                self.received.append(bytearray())
                threading.Thread(target=self.pump, args=(client, upstream, self.received[-1]), daemon=True).start()
                threading.Thread(target=self.pump, args=(upstream, client, None), daemon=True).start()

    @staticmethod
    def pump(source, target, record):
        with contextlib.suppress(OSError):
            while data := source.recv(65536):
                if record is not None:
                    record += data
                target.sendall(data)
        with contextlib.suppress(OSError):
            target.shutdown(socket.SHUT_WR)

    def close(self):
        with contextlib.suppress(OSError):
            self.listener.shutdown(socket.SHUT_RDWR)  # wakes the accepting thread, which holds the port
        self.listener.close()


@unittest.skipUnless(os.environ.get("DR_PROXIED_HOST"), "needs the Windows build and a Wine session of its own")
class ThroughProxyTest(DrivesTheProgram, unittest.TestCase):
    """The real program in a company network: the system's proxy settings lead the way to a service
    whose name only the proxy knows. Over https the proxy and the wire to the service see TLS only."""

    SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"

    def wine(self, *command):
        return subprocess.run([os.environ["DR_WINE_SESSION"], "run", os.environ["DR_WINE_SESSION_DIR"], *command],
                              capture_output=True, text=True)

    def use_proxy(self, server, folder):
        """The proxy in the registry, as Internet Options sets it; None: no proxy there. One
        Wine process (a start costs seconds on a 32-bit Wine)."""
        key = self.SETTINGS.replace("HKCU", "HKEY_CURRENT_USER")
        settings = Path(folder) / "proxy.reg"
        settings.write_text(f'REGEDIT4\n\n[{key}]\n"ProxyEnable"=dword:{1 if server else 0:08x}\n'
                            f'"ProxyServer"={json.dumps(server) if server else "-"}\n')
        self.assertEqual(0, self.wine("reg", "import", "Z:" + str(settings).replace("/", "\\")).returncode)

    def test_the_form_goes_through_the_proxy_signed_in_and_over_https_only_in_tls(self):
        # squid, open or checking jo's password ("secret"); tinyproxy, which answers 407 and closes the
        # connection before it reads a request's body; a proxy that cannot be reached. The person
        # answers the system's sign-in dialogs so ("user:password;cancel").
        host, port = os.environ["DR_PROXIED_HOST"], int(os.environ["DR_SERVICE_PORT"])
        certificates = self.certificates(host)
        url = f"http://{host}:{port}/frmAction/download.aspx?FromSite=yes"
        refused, proxy_message = "Error Sending the Information to Server.", "The Proxy Server {proxy} "
        # scheme, the proxy, the service's certificate, the answers, the message (None: the form is stored)
        # and the words of its cause
        cases = [("http", "open", None, "", None, ""), ("https", "open", "valid", "", None, ""),
                 ("https", "open", "expired", "", refused, "expired"),
                 ("https", "open", "otherhost", "", refused, "common name"),
                 ("https", "dead", "valid", "", "Error Connecting to the Proxy Server {proxy}.", "The attempt to connect"),
                 ("https", "environment", "valid", "", None, ""),
                 ("http", "password", None, "jo:secret", None, ""), ("https", "password", "valid", "jo:secret", None, ""),
                 ("http", "password", None, "cancel", proxy_message + "Asks for a Sign-In", "None Was Given"),
                 ("https", "password", "valid", "jo:wrong;jo:secret", None, ""),
                 ("http", "password", None, "jo:wrong;jo:wrong;jo:wrong", proxy_message + "Did Not Accept", "407"),
                 ] + [("http", "tinyproxy", None, "jo:secret", None, "")] * 10
        with socket.socket() as dead:  # bound, never listening: every connection is refused
            dead.bind(("127.0.0.1", 0))
            for i, (scheme, kind, certificate, answers, message, cause) in enumerate(cases):
                with self.subTest(i=i, scheme=scheme, proxy=kind, certificate=certificate, answers=answers), \
                        tempfile.TemporaryDirectory() as proxy_dir:
                    server = Tinyproxy(proxy_dir, host) if kind == "tinyproxy" else \
                        Squid(proxy_dir, host, password=kind == "password")
                    tls = certificate and (certificates / f"{certificate}.pem", certificates / f"{certificate}.key")
                    proxy = "127.0.0.1:%d" % (dead.getsockname()[1] if kind == "dead" else server.port)
                    recorder = None  # in the service's place, over https: what crosses the wire
                    try:
                        with self.serving(0 if tls else port, tls) as service:
                            if tls:
                                recorder = Recorder(port, service.server_address[1])
                            self.use_proxy(None if kind == "environment" else proxy, proxy_dir)
                            env = dict(os.environ, DR_SIGN_IN=answers,
                                       DR_HTTP_PROXY=f"http://{proxy}" if kind == "environment" else "")
                            driver, program = (os.environ["DR_TLS_DRIVER"], os.environ["DR_TLS_PROGRAM"]) if tls else \
                                (os.environ["DR_HTTP_DRIVER"], os.environ["DR_HTTP_PROGRAM"])
                            if message is None:
                                self.drive(driver, program, "--real-service", env=env)
                            else:
                                self.refused(driver, program, message.format(proxy=proxy), cause, env=env)
                            stored, received = service.store.all(), recorder.received if recorder else []
                        for sent in received:
                            self.assertTrue(sent.startswith(b"\x16"), sent[:16])  # a TLS ClientHello first
                            self.assertNotIn(b"EmailAddress", sent)
                        log = server.log()
                        print(kind, certificate, answers, log)
                        forms = [line for line in log if line.startswith("POST")]
                        if message:
                            self.assertEqual(([], []), (stored, forms))  # nor did the form reach the proxy
                            continue
                        # the form went once, signed in where the proxy asked, and over https only inside TLS
                        self.assertEqual(1, len(stored))
                        user = "jo" if answers else "-"
                        if tls:
                            self.assertTrue(received)
                            self.assertIn(f"CONNECT {host}:{port} {user}", log)
                        elif kind != "tinyproxy":
                            self.assertEqual([f"POST {url} {user}"], forms)
                    finally:
                        if recorder:
                            recorder.close()
                        server.stop()


if __name__ == "__main__":
    unittest.main()
