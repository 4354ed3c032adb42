"""The vendor service: what it takes, what it refuses, what it keeps."""
import contextlib
import email
import email.policy
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
        run = subprocess.run([os.environ["DR_RUN_E2E"], os.environ["DR_WINE_SESSION_DIR"], driver, program,
                              os.environ["DR_OUTPUT"], *mode], capture_output=True, text=True, timeout=240, env=env)
        print(run.stdout, run.stderr)
        self.assertEqual(0, run.returncode)

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
        # A fresh CA, trusted only in the test prefix; the service presents each certificate in turn.
        certificates = self.certificates()
        for certificate in ("valid", "expired", "otherhost", "unknownca", "selfsigned"):
            tls = (certificates / f"{certificate}.pem", certificates / f"{certificate}.key")
            with self.subTest(certificate), self.serving(int(os.environ["DR_TLS_PORT"]), tls) as service:
                accepted = certificate == "valid"
                self.drive(os.environ["DR_TLS_DRIVER"], os.environ["DR_TLS_PROGRAM"],
                           "--real-service" if accepted else "--refusing-program")
                print(certificate, service.log)
                if accepted:
                    self.assertStored(service)
                    self.assertTrue(any(line.startswith('"POST /frmAction/') for line in service.log))
                else:  # the program came, but sent not a request line, not a byte of the form
                    self.assertEqual([], service.store.all())
                    self.assertTrue(service.log)
                    self.assertTrue(all(line.startswith(("TLS handshake failed", "connection closed without"))
                                        for line in service.log), service.log)

def free_port():
    with socket.create_server(("127.0.0.1", 0)) as probe:
        return probe.getsockname()[1]


def wait_for_port(port, seconds=10):
    for _ in range(seconds * 20):
        with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), 0.5):
            return True
        time.sleep(0.05)
    return False


class Squid:
    """Debian's squid on a free loopback port, with a configuration of its own: it alone knows the
    service's name (its hosts file), logs each request as its method and URL, and with `password`
    lets nobody through without signing in. Stopped by its pid."""

    def __init__(self, directory, host, password=False):
        self.directory = Path(directory)
        self.directory.chmod(0o777)  # squid writes as its own user
        self.port = free_port()
        (self.directory / "hosts").write_text(f"127.0.0.1 {host}\n")
        config = [f"http_port 127.0.0.1:{self.port}", f"pid_filename {self.directory}/squid.pid",
                  f"hosts_file {self.directory}/hosts", f"cache_log {self.directory}/cache.log",
                  "logformat line %rm %ru", f"access_log stdio:{self.directory}/access.log line",
                  "strip_query_terms off", "cache deny all", "shutdown_lifetime 0 seconds", "pinger_enable off",
                  "visible_hostname proxy.test", f"coredump_dir {self.directory}"]
        if password:
            config += ["auth_param basic program /usr/lib/squid/basic_fake_auth", "auth_param basic realm staff",
                       "acl staff proxy_auth REQUIRED", "http_access deny !staff"]
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
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
        if not wait_for_port(self.port):
            self.stop()
            raise RuntimeError("squid did not start: " + (self.directory / "cache.log").read_text(errors="replace"))

    def log(self):
        """Method and URL of each request, without the connections that only checked squid was up."""
        path = self.directory / "access.log"
        return [line for line in path.read_text().splitlines() if not line.startswith("- ")] if path.exists() else []

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


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

    def use_proxy(self, server):
        """The proxy in the registry, as Internet Options sets it; None: no proxy there."""
        self.wine("reg", "add", self.SETTINGS, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "1" if server else "0", "/f")
        if server:
            self.wine("reg", "add", self.SETTINGS, "/v", "ProxyServer", "/d", server, "/f")
        else:
            self.wine("reg", "delete", self.SETTINGS, "/v", "ProxyServer", "/f")

    def test_the_form_goes_through_the_proxy_and_over_https_only_in_tls(self):
        host, port = os.environ["DR_PROXIED_HOST"], int(os.environ["DR_SERVICE_PORT"])
        certificates = self.certificates(host)
        sign_in = "The Proxy Server Asks for a Sign-In This Program Cannot Give (Status 407)."
        refused = "Error Sending the Information to Server."
        dead = free_port()
        # scheme, where the proxy is set, the service's certificate, the message (None: the form is stored)
        cases = [("http", "registry", None, None), ("https", "registry", "valid", None),
                 ("https", "registry", "expired", refused), ("https", "registry", "otherhost", refused),
                 ("http", "password", None, sign_in), ("https", "password", "valid", sign_in),
                 ("https", "dead", "valid", f"Error Connecting to the Proxy Server 127.0.0.1:{dead}."),
                 ("https", "environment", "valid", None)]
        for scheme, setting, certificate, message in cases:
            with self.subTest(scheme=scheme, proxy=setting, certificate=certificate), \
                    tempfile.TemporaryDirectory() as squid_dir:
                squid = Squid(squid_dir, host, password=setting == "password")
                tls = certificate and (certificates / f"{certificate}.pem", certificates / f"{certificate}.key")
                recorder = None
                try:
                    with self.serving(free_port() if tls else port, tls) as service:
                        if tls:
                            recorder = Recorder(port, service.server_address[1])
                        proxy = f"127.0.0.1:{dead if setting == 'dead' else squid.port}"
                        self.use_proxy(None if setting == "environment" else proxy)
                        env = dict(os.environ, DR_HTTP_PROXY=f"http://{proxy}" if setting == "environment" else "")
                        driver, program = (os.environ["DR_TLS_DRIVER"], os.environ["DR_TLS_PROGRAM"]) if tls else \
                            (os.environ["DR_HTTP_DRIVER"], os.environ["DR_HTTP_PROGRAM"])
                        self.drive(driver, program, *(["--real-service"] if message is None else
                                                      ["--refusing-program", message.encode().hex()]), env=env)
                        print(setting, certificate, squid.log())
                        if message is None:
                            self.assertStored(service)
                            wanted = f"CONNECT {host}:{port}" if tls else \
                                f"POST http://{host}:{port}/frmAction/download.aspx?FromSite=yes"
                            self.assertEqual([wanted], squid.log())
                        else:
                            self.assertEqual([], service.store.all())
                        for received in recorder.received if recorder else []:
                            self.assertTrue(received.startswith(b"\x16"), received[:16])  # a TLS ClientHello first
                            self.assertNotIn(b"EmailAddress", received)
                        if message is None and recorder:
                            self.assertTrue(recorder.received)
                finally:
                    if recorder:
                        recorder.close()
                    squid.stop()
                    self.use_proxy(None)


if __name__ == "__main__":
    unittest.main()
