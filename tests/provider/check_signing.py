#!/usr/bin/python3
"""Signing a provider's Windows program with its code-signing certificate,
against a throwaway certificate authority made for the run
(make_certificates.sh).

    check_signing.py SOURCE_ROOT WORK Refusals
    check_signing.py SOURCE_ROOT WORK SignedProgram   (VEROLINK_EXE: the built program)

Refusals: a certificate that cannot sign stops scripts/build-provider.sh before
it builds anything, with a message naming the problem, and leaves no output.
SignedProgram: the built program signed as the build signs it; osslsigncode
accepts the signature against the authority and only against it, and rejects
a copy changed after signing. The signed program stays in WORK/signed for the
Wine smoke test.
"""

import os
import shutil
import subprocess
import sys
import unittest

ROOT, WORK = os.path.abspath(sys.argv.pop(1)), os.path.abspath(sys.argv.pop(1))
TEST_TELECOM = os.path.join(ROOT, "tests", "provider", "test-telecom")
SIGN = os.path.join(ROOT, "scripts", "sign-program.py")
PASSWORD = "Ёлка №7 secret"
PROGRAM_NAME = "Verolink PPPoE 1.0.exe"


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def certificates():
    folder = os.path.join(WORK, "certificates")
    if not os.path.isfile(os.path.join(folder, "expired.p12")):
        result = run(["bash", os.path.join(ROOT, "tests", "provider", "make_certificates.sh"),
                      folder, PASSWORD])
        assert result.returncode == 0, result.stderr
    return folder


def provider_folder(name, lines):
    """Тест-Телеком's folder under the id NAME, with LINES added to provider.txt."""
    folder = os.path.join(WORK, name)
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(TEST_TELECOM, folder)
    with open(os.path.join(folder, "provider.txt"), "a", encoding="utf-8") as f:
        f.write("".join(line + "\n" for line in lines))
    return folder


class Refusals(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.certificates = certificates()

    def refused(self, lines, *expected, environment=None):
        """build-provider.sh on a folder with LINES: refused, naming EXPECTED."""
        folder = provider_folder("signing-refused", lines)
        dist = os.path.join(WORK, "dist")
        shutil.rmtree(dist, ignore_errors=True)
        env = dict(os.environ, **(environment or {}))
        result = run([os.path.join(ROOT, "scripts", "build-provider.sh"), folder, dist], env=env)
        output = result.stdout + result.stderr
        self.assertEqual(result.returncode, 1, output)
        self.assertIn(f"{folder}/provider.txt: ", result.stderr)
        for text in expected:
            self.assertIn(text, result.stderr)
        self.assertNotIn("==", result.stdout, "a build started")
        self.assertNotIn(PASSWORD, output)
        self.assertFalse(os.path.exists(dist), "output folder made")
        self.assertFalse(os.path.exists(os.path.join(ROOT, "build-provider", "signing-refused")))

    def test_certificates_that_cannot_sign_stop_the_build(self):
        password_file = os.path.join(WORK, "password")
        with open(password_file, "w", encoding="utf-8") as f:
            f.write(PASSWORD[:-1] + "\n")
        good = os.path.join(self.certificates, "code-signing.p12")
        self.refused([f"certificate = {good}", f"password-file = {password_file}"],
                     "certificate: ", "code-signing.p12: wrong password", password_file)
        variable = ["password-variable = TT_SIGNING_PASSWORD"]
        env = {"TT_SIGNING_PASSWORD": PASSWORD}
        self.refused([f"certificate = {self.certificates}/web-server.p12"] + variable,
                     "web-server.p12", "is not meant for code signing",
                     "TLS Web Server Authentication", environment=env)
        self.refused([f"certificate = {self.certificates}/expired.p12"] + variable,
                     "expired.p12", "expired on", environment=env)
        self.refused([f"certificate = {good}"] + variable,
                     "TT_SIGNING_PASSWORD (password-variable) is not set")

    def test_signing_lines_that_do_not_fit_together(self):
        good = os.path.join(self.certificates, "code-signing.p12")
        self.refused([f"certificate = {good}"], "certificate: expected exactly one of")
        self.refused(["password-variable = X", "timestamp = http://ts.example/"],
                     "given without a certificate")
        self.refused(["certificate = missing.p12", "password-variable = X"],
                     "certificate: ", "missing.p12: no such file")


class SignedProgram(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.certificates = certificates()
        cls.ca = os.path.join(cls.certificates, "ca.pem")
        cls.signed = os.path.join(WORK, "signed", PROGRAM_NAME)
        shutil.rmtree(os.path.dirname(cls.signed), ignore_errors=True)
        os.makedirs(os.path.dirname(cls.signed))
        folder = provider_folder("test-telecom", [
            f"certificate = {cls.certificates}/code-signing.p12",
            "password-variable = TT_SIGNING_PASSWORD"])
        cls.result = run([SIGN, folder, os.environ["VEROLINK_EXE"], cls.signed],
                         env=dict(os.environ, TT_SIGNING_PASSWORD=PASSWORD))

    def verify(self, path, ca=None):
        return run(["osslsigncode", "verify", "-CAfile", ca or self.ca, "-in", path])

    def test_signed_with_sha256_and_accepted_against_the_authority(self):
        self.assertEqual(self.result.returncode, 0, self.result.stderr)
        self.assertIn(f"signed {PROGRAM_NAME} as O=Тест-Телеком", self.result.stdout)
        self.assertEqual(os.listdir(os.path.dirname(self.signed)), [PROGRAM_NAME])
        result = self.verify(self.signed)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("Message digest algorithm  : SHA256", result.stdout)
        self.assertIn("Signature verification: ok", result.stdout)
        with open(self.signed, "rb") as f:
            self.assertNotIn(PASSWORD.encode(), f.read())
        # Not trusted by the machine's own authorities, nor without any.
        strangers = self.verify(self.signed, "/etc/ssl/certs/ca-certificates.crt")
        self.assertNotEqual(strangers.returncode, 0, strangers.stdout)

    def test_a_copy_changed_after_signing_is_rejected(self):
        tampered = os.path.join(WORK, "tampered.exe")
        with open(self.signed, "rb") as f:
            data = bytearray(f.read())
        data[0x1000] ^= 0x01  # a byte of the program's code
        with open(tampered, "wb") as f:
            f.write(data)
        result = self.verify(tampered)
        self.assertNotEqual(result.returncode, 0, result.stdout)
        self.assertIn("MISMATCH", result.stdout + result.stderr)

    def test_without_a_certificate_the_copy_is_unsigned_and_says_so(self):
        unsigned = os.path.join(WORK, "unsigned.exe")
        result = run([SIGN, TEST_TELECOM, os.environ["VEROLINK_EXE"], unsigned])
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.splitlines()
        self.assertEqual(len(lines), 1, result.stdout)
        self.assertIn("unsigned", lines[0])
        self.assertIn('"Unknown publisher"', lines[0])
        with open(unsigned, "rb") as a, open(os.environ["VEROLINK_EXE"], "rb") as b:
            self.assertEqual(a.read(), b.read())


if __name__ == "__main__":
    unittest.main(verbosity=2)
