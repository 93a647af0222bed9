"""Starting and stopping: storage files across restarts, fixtures on the command
line, the demo fixture, HTTPS, and the shell helper."""

import os
import shutil
import subprocess
import tempfile
import time
import unittest

from qbemu.launcher import PYTHON, Client, EmulatorProcess
from tests.base import DEMO, FIXTURE, ITEMS, EmulatorTest

HERE = os.path.dirname(os.path.abspath(__file__))
EMUCTL = os.path.join(os.path.dirname(HERE), "emuctl.py")
ALICE_TOKEN = [("usertoken", "tok_alice")]


class Restart(unittest.TestCase):
    def test_state_survives_a_restart_with_a_storage_file(self):
        with tempfile.TemporaryDirectory() as tmp:
            db = os.path.join(tmp, "state.sqlite")
            with EmulatorProcess(db=db) as emu:
                emu.client.admin("POST", "fixture", FIXTURE)
                c = emu.client
                rid = c.api("API_AddRecord", ITEMS, ALICE_TOKEN, [(6, "persisted ✓")]).findtext("rid")
                ticket = c.api("API_Authenticate", params=[("username", "alice"),
                                                           ("password", "pw-a")]).findtext("ticket")
                c.api("API_AddField", ITEMS, ALICE_TOKEN + [("label", "Later"), ("type", "text")])
                c.api("API_SetFieldProperties", ITEMS, ALICE_TOKEN + [("fid", "25"), ("mastag", "kept")])
            with EmulatorProcess(db=db) as emu:
                c = emu.client
                root = c.api("API_DoQuery", ITEMS, [("ticket", ticket), ("query", "{3.EX.'%s'}" % rid),
                                                    ("clist", "6"), ("fmt", "structured")])
                self.assertEqual(root.findtext("errcode"), "0")
                self.assertEqual(root.findtext(".//record/f"), "persisted ✓")
                schema = c.api("API_GetSchema", ITEMS, ALICE_TOKEN)
                field = [f for f in schema.iter("field") if f.get("id") == "25"][0]
                self.assertEqual(field.findtext("mastag"), "kept")
                nxt = c.api("API_AddRecord", ITEMS, ALICE_TOKEN, [(6, "next")]).findtext("rid")
                self.assertEqual(int(nxt), int(rid) + 1)

    def test_memory_storage_starts_empty(self):
        with EmulatorProcess() as emu:
            self.assertEqual(emu.client.admin("GET", "dbs")["apps"], [])


class Demo(EmulatorTest):
    fixture = None
    server_args = {"fixtures": [DEMO]}

    def test_demo_fixture_loads_with_related_tables(self):
        apps = {a["name"]: a for a in self.c.admin("GET", "dbs")["apps"]}
        sales = apps["Sales"]["tables"]
        self.assertEqual(sorted(sales), ["Customers", "Order Lines", "Orders"])
        cred = [("username", "alice"), ("password", "wonderland")]
        root = self.c.api("API_DoQuery", sales["Orders"], cred + [
            ("query", "{8.EX.'東京商事'}"), ("clist", "6.8"), ("fmt", "structured")])
        self.assertEqual(root.findtext("errcode"), "0")
        names = {r.findall("f")[1].text for r in root.iter("record")}
        self.assertEqual(names, {"東京商事"})
        types = {f.get("field_type") for t in sales.values()
                 for f in self.c.api("API_GetSchema", t, cred).iter("field")}
        self.assertTrue({"text", "email", "url", "phone", "multitext", "userid", "multiuserid", "float",
                         "currency", "percent", "rating", "checkbox", "date", "timestamp", "timeofday",
                         "duration", "recordid", "file", "dblink", "icalendarbutton", "vcardbutton"} <= types)
        count = sum(len(list(self.c.api("API_DoQuery", t, cred + [("clist", "3")]).iter("record")))
                    for t in sales.values())
        self.assertGreaterEqual(count, 36)

    def test_generated_rows_repeat_with_the_same_seed(self):
        tdbid = self.c.admin("GET", "dbs")["apps"][0]["tables"]["Order Lines"]
        cred = [("usertoken", "b7d2c9_demo_alice_token")]
        dumps = []
        for _ in range(2):
            self.c.admin("POST", "reset", {"path": DEMO})
            self.c.admin("POST", "generate", {"table": tdbid, "rows": 200, "seed": 9})
            _, _, body = self.c.call("API_GenResultsTable", tdbid, cred + [("clist", "3.6.7.8.9"),
                                                                           ("options", "csv")])
            dumps.append(body)
        self.assertEqual(dumps[0], dumps[1])
        self.assertEqual(dumps[0].count(b"\r\n"), 1 + 30 + 200)


class Tls(unittest.TestCase):
    @unittest.skipUnless(shutil.which("openssl"), "openssl is not installed")
    def test_https_with_a_self_signed_certificate(self):
        with tempfile.TemporaryDirectory() as tmp:
            cert, key = os.path.join(tmp, "cert.pem"), os.path.join(tmp, "key.pem")
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                            "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1"],
                           check=True, capture_output=True, timeout=60)
            with EmulatorProcess(fixtures=[DEMO], tls=(cert, key)) as emu:
                self.assertTrue(emu.client.base_url.startswith("https://"))
                root = emu.client.api("API_Authenticate", params=[("username", "bob"), ("password", "builder")])
                self.assertEqual(root.findtext("errcode"), "0")
                plain = Client("127.0.0.1", emu.port, tls=False, timeout=5)
                self.assertFalse(plain.ping())
                self.assertTrue(emu.client.ping())


class ShellHelper(unittest.TestCase):
    def test_start_prints_the_port_and_stop_ends_it(self):
        with tempfile.TemporaryDirectory() as tmp:
            pidfile = os.path.join(tmp, "emu.pid")
            out = subprocess.run([PYTHON, EMUCTL, "start", "--pidfile", pidfile, "--", "--fixture", DEMO],
                                 capture_output=True, text=True, timeout=30)
            self.assertEqual(out.returncode, 0, out.stderr)
            port = int(out.stdout.splitlines()[0])
            client = Client("127.0.0.1", port)
            self.assertTrue(client.ping())
            with open(pidfile) as fh:
                pid = int(fh.read())
            stop = subprocess.run([PYTHON, EMUCTL, "stop", "--pidfile", pidfile], timeout=30)
            self.assertEqual(stop.returncode, 0)
            self.assertFalse(client.ping())
            with self.assertRaises(ProcessLookupError):
                os.kill(pid, 0)

    def test_the_emulator_ends_with_its_owner(self):
        with tempfile.TemporaryDirectory() as tmp:
            pidfile = os.path.join(tmp, "emu.pid")
            owner = subprocess.Popen(["sleep", "30"])
            try:
                out = subprocess.run([PYTHON, EMUCTL, "start", "--pidfile", pidfile, "--owner", str(owner.pid),
                                      "--", "--fixture", DEMO], capture_output=True, text=True, timeout=30)
                self.assertEqual(out.returncode, 0, out.stderr)
                client = Client("127.0.0.1", int(out.stdout.splitlines()[0]))
                self.assertTrue(client.ping())
            finally:
                owner.kill()
                owner.wait()
            deadline = time.monotonic() + 10
            while client.ping() and time.monotonic() < deadline:
                time.sleep(0.05)
            self.assertFalse(client.ping())

    def test_bad_fixture_fails_the_start(self):
        with tempfile.NamedTemporaryFile("w", suffix=".json") as bad:
            bad.write('{"apps": [{"name": "x", "tables": [{"name": "t", "fields": [{"label": "f", "type": "int32"}]}]}]}')
            bad.flush()
            with self.assertRaises(Exception):
                EmulatorProcess(fixtures=[bad.name], timeout=10).start()


if __name__ == "__main__":
    unittest.main()
