#!/usr/bin/env python3
"""varo-call against a real order server on loopback: every kind of value a
method can answer, and the ways a call fails, as a script would see them."""
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

SERVER = os.environ["VARO_ORDERSERVER_BIN"]
CALL = os.environ["VARO_CALL_BIN"]


class VaroCall(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        db = os.path.join(cls.dir.name, "call.db")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=cls.dir.name)
        subprocess.run([SERVER, "seed", "--db", db, "--items", "300"], check=True, env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([SERVER, "register", "--db", db, "--computer-id", "CALL-PC", "--user", "BAYI"],
                       check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.server = subprocess.Popen([SERVER, "serve", "--db", db, "--port", "0", "--http-port", "0"],
                                      env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        cls.port = None
        for line in cls.server.stdout:
            m = re.search(r"methods on port (\d+)", line)
            if m:
                cls.port = m.group(1)
                break
        if cls.port is None:
            cls.server.kill()
            raise RuntimeError("order server did not start")

    @classmethod
    def tearDownClass(cls):
        cls.server.terminate()
        cls.server.wait(20)
        cls.dir.cleanup()

    def call(self, *args, port=None):
        p = subprocess.run([CALL, "--host", "127.0.0.1", "--port", port or self.port, *args],
                           capture_output=True, timeout=60)
        return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")

    def answer(self, *args):
        rc, out, err = self.call(*args)
        self.assertEqual(rc, 0, err)
        return json.loads(out)

    def test_values(self):
        # method and arguments -> a check of the printed answer
        cases = [
            ("text", ["EchoString", "merhaba çğş"], lambda a: a["result"] == "merhaba çğş"),
            ("reversed text", ["ReverseString", "abc"], lambda a: a["result"] == "cba"),
            ("table", ["StokAraVaro", "FREN", "null"],
             lambda a: "KOD" in [c["name"] for c in a["result"]["columns"]]
             and all(len(col) == len(a["result"]["data"][0]) > 0 for col in a["result"]["data"])),
            ("object", ["BuyukGetir", "CALL-PC"],
             lambda a: a["result"]["type"] == "baglantiu.TSonucBilgisi"
             and a["result"]["fields"]["FADI"] == "BAYI"),
            ("object with a null object argument", ["MobilStokNoAra", "5", "null"],
             lambda a: a["result"]["type"].endswith(".TMobilStok")),
            ("list with out values", ["MobilStokaraAdimli", "FREN", "null", "0", "10", "0", "2"],
             lambda a: len(a["result"]["items"]) == 2 and isinstance(a["out"]["kalan"], bool)
             and a["out"]["toplam"] >= 2),
            ("callback parameter accepted", ["MobilStokaraGeri", "FREN", "null", "0", "10"],
             lambda a: isinstance(a["result"], int)),
            ("boolean", ["SifremiUnuttum", "NO-SUCH-PC"], lambda a: a["result"] is False),
        ]
        for name, args, check in cases:
            with self.subTest(name):
                a = self.answer(*args)
                self.assertTrue(check(a), json.dumps(a, ensure_ascii=False)[:400])

    def test_streams(self):
        # the Int64 beside a stream holds its length; the bytes are the document itself
        cases = [("picture", "ResimVer5", ["5"], "boy", b"\xff\xd8"),
                 ("document", "BelgeIndir2", ["1", "null"], "size", b"%PDF")]
        for name, method, args, sizeName, magic in cases:
            with self.subTest(name):
                path = os.path.join(self.dir.name, method + ".bin")
                a = self.answer("--stream-out", path, method, *args)
                with open(path, "rb") as f:
                    data = f.read()
                self.assertEqual(len(data), a["out"][sizeName])
                self.assertEqual(a["result"]["size"], len(data))
                self.assertTrue(data.startswith(magic))
                rc, out, err = self.call("--stream-out", "-", method, *args)
                # a document made in the next second differs in its creation date only
                same = lambda b: re.sub(rb"D:\d{14}", b"D:", b)
                self.assertEqual((rc, same(out)), (0, same(data)), err)

    def test_failures(self):
        # arguments -> exit code, words the message must hold
        cases = [
            ("unknown method", ["NoSuchMethod"], 2, "no such method"),
            ("missing argument", ["EchoString"], 2, "missing argument"),
            ("server refuses the value", ["SepetEkle", "null", "1", "5", "x", "y", "-5", "18", "1", "0", "1", "0"],
             1, "Miktar"),
        ]
        for name, args, code, words in cases:
            with self.subTest(name):
                rc, _, err = self.call(*args)
                self.assertEqual(rc, code, err)
                self.assertIn(words, err)
        with self.subTest("nothing listening"):
            rc, _, err = self.call("EchoString", "a", port="1")
            self.assertNotEqual(rc, 0)
            self.assertIn("varo-call:", err)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
