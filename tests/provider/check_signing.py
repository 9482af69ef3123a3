#!/usr/bin/python3
"""Signing a provider's Windows program and .rpm, against throwaway keys made
for the run: a PKCS#12 file (make_certificates.sh), a key generated inside a
SoftHSM2 token and an OpenPGP keyring (signing_keys.py).

    check_signing.py SOURCE_ROOT WORK Refusals
    check_signing.py SOURCE_ROOT WORK SignedPackage
    check_signing.py SOURCE_ROOT WORK SignedProgram   (VEROLINK_EXE: the built program)

Refusals: a key that cannot sign stops scripts/build-provider.sh before it
builds anything, with a message naming the field and the problem, and leaves
no output. SignedPackage: an .rpm signed as the build signs it passes `rpm -K`
with the key imported and fails without. SignedProgram: the built program
signed with the token's key and with the PKCS#12 file; osslsigncode accepts
the signature against the authority and only against it, and rejects a copy
changed after signing. The token-signed program stays in WORK/signed for the
Wine smoke test. While the signing runs, no process's arguments hold the PIN
or a passphrase.
"""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

ROOT, WORK = os.path.abspath(sys.argv.pop(1)), os.path.abspath(sys.argv.pop(1))
os.makedirs(WORK, exist_ok=True)
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import signing_keys  # noqa: E402

TEST_TELECOM = os.path.join(ROOT, "tests", "provider", "test-telecom")
SIGN = os.path.join(ROOT, "scripts", "sign-program.py")
SIGN_PACKAGE = os.path.join(ROOT, "scripts", "sign-package.py")
PASSWORD = "Ёлка №7 secret"
PROGRAM_NAME = "Verolink PPPoE 1.0.exe"
SECRETS = (PASSWORD, signing_keys.PIN, signing_keys.PASSPHRASE)


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def certificates():
    folder = os.path.join(WORK, "certificates")
    if not os.path.isfile(os.path.join(folder, "expired.p12")):
        result = run(["bash", os.path.join(ROOT, "tests", "provider", "make_certificates.sh"),
                      folder, PASSWORD])
        assert result.returncode == 0, result.stderr
    return folder


def token():
    """A fresh token; returns its folder and the environment that finds it."""
    folder = os.path.join(WORK, "token")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder, signing_keys.make_token(folder)


def token_lines(certificate=signing_keys.CERTIFICATE_URI):
    return [f"pkcs11-module = {signing_keys.SOFTHSM}", f"key = {signing_keys.KEY_URI}",
            f"certificate = {certificate}", "pin-variable = TT_TOKEN_PIN"]


def keyring(test):
    """A fresh keyring (a folder of its own each time: an agent of an earlier
    run may still be ending and take its socket with it); TEST's clean-up
    ends its agent and removes it."""
    folder = tempfile.mkdtemp(prefix="gnupg-", dir=WORK)
    test.addCleanup(shutil.rmtree, folder, ignore_errors=True)
    test.addCleanup(signing_keys.stop_agent, folder)
    return folder, signing_keys.make_keyring(folder)


def provider_folder(name, lines):
    """Тест-Телеком's folder under the id NAME, with LINES added to provider.txt."""
    folder = os.path.join(WORK, name)
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(TEST_TELECOM, folder)
    with open(os.path.join(folder, "provider.txt"), "a", encoding="utf-8") as f:
        f.write("".join(line + "\n" for line in lines))
    return folder


class ArgumentWatch:
    """Watches every process's arguments while the signing runs: a thread
    reads /proc/*/cmdline over and over, and the signing tools on PATH are
    stand-ins that record their arguments before running the real tool, so
    that each of their runs is seen however short it is."""

    TOOLS = ("osslsigncode", "openssl", "gpg", "rpmsign")

    def __init__(self):
        self.bin = os.path.join(WORK, "watched-bin")
        self.log = os.path.join(WORK, "watched-arguments")
        shutil.rmtree(self.bin, ignore_errors=True)
        os.makedirs(self.bin)
        for name in self.TOOLS:
            with open(os.path.join(self.bin, name), "w", encoding="utf-8") as f:
                f.write(f'#!/bin/sh\nprintf "%s\\n" "{name} $*" >>"{self.log}"\n'
                        f'exec {shutil.which(name)} "$@"\n')
            os.chmod(os.path.join(self.bin, name), 0o755)
        self.environment = {"PATH": self.bin + os.pathsep + os.environ["PATH"]}
        self.seen, self.samples = set(), 0

    def __enter__(self):
        open(self.log, "w").close()
        self.running = True
        self.thread = threading.Thread(target=self._sample)
        self.thread.start()
        return self

    def _sample(self):
        while self.running:
            for path in glob.glob("/proc/[0-9]*/cmdline"):
                try:
                    with open(path, "rb") as f:
                        self.seen.add(f.read().replace(b"\0", b" "))
                except OSError:
                    pass  # the process ended meanwhile
            self.samples += 1
            time.sleep(0.002)  # leaves the signing most of the processor

    def __exit__(self, *_):
        self.running = False
        self.thread.join()

    def check(self, test, *tools):
        """Asserts that TOOLS ran and that no arguments held a secret."""
        with open(self.log, "rb") as f:
            recorded = f.read().splitlines()
        for name in tools:
            test.assertTrue(any(line.startswith(name.encode() + b" ") for line in recorded),
                            f"{name} did not run")
        test.assertGreater(self.samples, 0)
        for secret in SECRETS:
            for arguments in recorded + list(self.seen):
                test.assertNotIn(secret.encode(), arguments)

class Refusals(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.certificates = certificates()
        cls.token, cls.token_environment = token()

    def refused(self, lines, *expected, environment=None):
        """build-provider.sh on a folder with LINES: refused, naming EXPECTED."""
        folder = provider_folder("signing-refused", lines)
        dist = os.path.join(WORK, "dist")
        shutil.rmtree(dist, ignore_errors=True)
        env = dict(os.environ, **(environment or {}))
        result = run([os.path.join(ROOT, "scripts", "build-provider.sh"), folder, dist], env=env)
        output = result.stdout + result.stderr
        self.assertEqual(result.returncode, 1, output)
        self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
        self.assertIn(f"{folder}/provider.txt: ", result.stderr)
        for text in expected:
            self.assertIn(text, result.stderr)
        self.assertNotIn("==", result.stdout, "a build started")
        for secret in SECRETS:
            self.assertNotIn(secret, output)
        self.assertFalse(os.path.exists(dist), "output folder made")
        # A build that did start is removed, so that it fails this run only.
        work = os.path.join(ROOT, "build-provider", "signing-refused")
        started = os.path.exists(work)
        shutil.rmtree(work, ignore_errors=True)
        self.assertFalse(started, "the build started")

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
                     "password-variable: the environment variable TT_SIGNING_PASSWORD is not set")

    def test_a_token_that_cannot_sign_stops_the_build(self):
        pin = dict(self.token_environment, TT_TOKEN_PIN=signing_keys.PIN)
        # Through a module that counts log-ins: a wrong PIN is tried once, and
        # the PIN of a locked token not at all.
        logins = os.path.join(WORK, "logins")
        counting = dict(pin, COUNTING_TOKEN_MODULE=signing_keys.SOFTHSM,
                        COUNTING_TOKEN_LOG=logins)
        lines = [f"pkcs11-module = {os.environ['VEROLINK_COUNTING_TOKEN']}"] + token_lines()[1:]
        for wrong_pin, locked, expected, tries in (
                (True, False, "pin-variable: the token 'codesign' refused the PIN", 1),
                (False, True, "pin-variable: the token 'codesign' is locked", 0)):
            open(logins, "w").close()
            environment = dict(counting, **({"COUNTING_TOKEN_LOCKED": "1"} if locked else {}))
            if wrong_pin:
                environment["TT_TOKEN_PIN"] = signing_keys.PIN + "0"
            self.refused(lines, expected, "not tried", environment=environment)
            with open(logins, encoding="utf-8") as f:
                self.assertEqual(len(f.readlines()), tries, expected)
        # The token unplugged: SoftHSM2 pointed at a folder without it.
        unplugged = os.path.join(WORK, "unplugged")
        os.makedirs(unplugged, exist_ok=True)
        self.refused(token_lines(), "key: no token matches token=codesign",
                     environment=dict(pin, SOFTHSM2_CONF=signing_keys.softhsm_configuration(
                         unplugged)))
        self.refused(token_lines(f"{self.token}/stranger.pem"), "key: ",
                     "does not belong to the certificate of CN=Тест-Телеком token",
                     environment=pin)
        self.refused(token_lines(f"{self.token}/expired.pem"), "certificate: ",
                     "expired.pem (O=Тест-Телеком,CN=Тест-Телеком token) expired on",
                     environment=pin)
        self.refused(token_lines()[:1] + [f"key = {signing_keys.KEY_URI};pin-value=1"]
                     + token_lines()[2:], "key: holds the PIN", environment=pin)

    def test_a_package_key_that_cannot_sign_stops_the_build(self):
        folder, fingerprint = keyring(self)
        lines = [f"rpm-key = {fingerprint}", f"rpm-keyring = {folder}",
                 "rpm-passphrase-variable = TT_RPM_PASSPHRASE"]
        self.refused(lines, "rpm-passphrase-variable: the passphrase of", "is wrong",
                     environment={"TT_RPM_PASSPHRASE": signing_keys.PASSPHRASE[1:]})
        other = fingerprint[:-1] + ("1" if fingerprint.endswith("0") else "0")
        self.refused([f"rpm-key = {other}"] + lines[1:], "rpm-key: no secret key",
                     environment={"TT_RPM_PASSPHRASE": signing_keys.PASSPHRASE})

    def test_signing_lines_that_do_not_fit_together(self):
        good = os.path.join(self.certificates, "code-signing.p12")
        self.refused([f"certificate = {good}"], "password-variable: expected exactly one of")
        self.refused(["password-variable = X", "timestamp = http://ts.example/"],
                     "given without a certificate")
        self.refused(["certificate = missing.p12", "password-variable = X"],
                     "certificate: ", "missing.p12: no such file")
        self.refused([f"certificate = {good}", "password-variable = X", "pin-variable = Y"],
                     "pin-variable: belongs to a key in a PKCS#11 token")
        self.refused(token_lines() + ["password-variable = X"],
                     "password-variable: is the password of a PKCS#12 file")
        self.refused(["rpm-keyring = /"], "rpm-keyring: given without an rpm-key")


class SignedPackage(unittest.TestCase):
    """A stand-in .rpm (rpmbuild makes it in a moment; the signature does not
    depend on what the package holds), signed as the build signs it."""

    def test_signed_package_passes_rpm_k_only_with_the_key_imported(self):
        keys, fingerprint = keyring(self)
        top = os.path.join(WORK, "rpmbuild")
        shutil.rmtree(top, ignore_errors=True)
        os.makedirs(top)
        build_file = os.path.join(top, "stand-in.rpmbuild")
        with open(build_file, "w", encoding="utf-8") as f:
            f.write("Name: stand-in\nVersion: 1\nRelease: 1\nSummary: s\nLicense: MIT\n"
                    "BuildArch: noarch\n%description\ns\n%files\n")
        built = run(["rpmbuild", "--define", f"_topdir {top}", "-bb", build_file])
        self.assertEqual(built.returncode, 0, built.stderr)
        package = os.path.join(top, "RPMS", "noarch", "stand-in-1-1.noarch.rpm")
        folder = provider_folder("test-telecom", [
            f"rpm-key = {fingerprint}", f"rpm-keyring = {keys}",
            "rpm-passphrase-variable = TT_RPM_PASSPHRASE"])
        watch = ArgumentWatch()
        env = dict(os.environ, TT_RPM_PASSPHRASE=signing_keys.PASSPHRASE, **watch.environment)
        with watch:
            for command in ([SIGN_PACKAGE, "--check", folder], [SIGN_PACKAGE, folder, package]):
                result = run(command, env=env)
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        watch.check(self, "gpg", "rpmsign")
        self.assertIn(f"signed stand-in-1-1.noarch.rpm with {fingerprint}", result.stdout)

        database = os.path.join(WORK, "rpmdb")
        shutil.rmtree(database, ignore_errors=True)
        os.makedirs(database)
        rpm = ["rpm", "--dbpath", database]
        self.assertEqual(run(rpm + ["--initdb"]).returncode, 0)
        without = run(rpm + ["-K", package])
        self.assertNotEqual(without.returncode, 0, without.stdout)
        self.assertIn("SIGNATURES NOT OK", without.stdout)
        public = os.path.join(WORK, "packages.asc")
        with open(public, "wb") as f:
            f.write(subprocess.run(["gpg", "--homedir", keys, "--export", "--armor", fingerprint],
                                   capture_output=True, check=True).stdout)
        self.assertEqual(run(rpm + ["--import", public]).returncode, 0)
        accepted = run(rpm + ["-Kv", package])
        self.assertEqual(accepted.returncode, 0, accepted.stdout + accepted.stderr)
        self.assertIn("Signature, key ID", accepted.stdout)
        self.assertIn("digests signatures OK", run(rpm + ["-K", package]).stdout)

    def test_without_a_key_the_package_stays_unsigned_and_says_so(self):
        result = run([SIGN_PACKAGE, TEST_TELECOM, "/nonexistent.rpm"])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(len(result.stdout.splitlines()), 1, result.stdout)
        self.assertIn("the .rpm is unsigned", result.stdout)


class SignedProgram(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.certificates = certificates()
        cls.token, token_environment = token()
        cls.signed = os.path.join(WORK, "signed", PROGRAM_NAME)
        shutil.rmtree(os.path.dirname(cls.signed), ignore_errors=True)
        os.makedirs(os.path.dirname(cls.signed))
        # As the build does: the check before anything is built, the signing after.
        folder = provider_folder("test-telecom",
                                 token_lines() + [f"intermediates = {signing_keys.CHAIN_URI}"])
        cls.watch = ArgumentWatch()
        env = dict(os.environ, TT_TOKEN_PIN=signing_keys.PIN, **token_environment,
                   **cls.watch.environment)
        with cls.watch:
            cls.results = [run([SIGN, "--check", folder], env=env),
                           run([SIGN, folder, os.environ["VEROLINK_EXE"], cls.signed], env=env)]
        cls.pkcs12_signed = os.path.join(WORK, "pkcs12-signed.exe")
        folder = provider_folder("test-telecom", [
            f"certificate = {cls.certificates}/code-signing.p12",
            "password-variable = TT_SIGNING_PASSWORD"])
        cls.pkcs12_result = run([SIGN, folder, os.environ["VEROLINK_EXE"], cls.pkcs12_signed],
                                env=dict(os.environ, TT_SIGNING_PASSWORD=PASSWORD))

    def verify(self, path, ca):
        return run(["osslsigncode", "verify", "-CAfile", ca, "-in", path])

    def test_signed_with_the_tokens_key_and_accepted_against_its_authority_only(self):
        for result in self.results:
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn(f"signed {PROGRAM_NAME} as O=Тест-Телеком,CN=Тест-Телеком token",
                      self.results[1].stdout)
        self.assertEqual(os.listdir(os.path.dirname(self.signed)), [PROGRAM_NAME])
        self.watch.check(self, "osslsigncode")
        result = self.verify(self.signed, os.path.join(self.token, "ca.pem"))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("Message digest algorithm  : SHA256", result.stdout)
        self.assertIn("Signature verification: ok", result.stdout)
        # The intermediate certificates from the token travel in the signature.
        signature = os.path.join(WORK, "signature.der")
        run(["osslsigncode", "extract-signature", "-in", self.signed, "-out", signature])
        carried = run(["openssl", "pkcs7", "-inform", "DER", "-in", signature, "-print_certs"])
        self.assertIn("subject=O = Verolink test, CN = Verolink Test Token CA", carried.stdout,
                      carried.stderr)
        with open(self.signed, "rb") as f:
            data = f.read()
        for secret in SECRETS:
            self.assertNotIn(secret.encode(), data)
        # Not trusted by the machine's own authorities, nor by another throwaway one.
        for stranger in ("/etc/ssl/certs/ca-certificates.crt",
                         os.path.join(self.certificates, "ca.pem")):
            result = self.verify(self.signed, stranger)
            self.assertNotEqual(result.returncode, 0, result.stdout)

    def test_signed_with_a_pkcs12_file_and_accepted_against_its_authority(self):
        self.assertEqual(self.pkcs12_result.returncode, 0, self.pkcs12_result.stderr)
        self.assertIn("as O=Тест-Телеком,CN=Тест-Телеком code-signing", self.pkcs12_result.stdout)
        result = self.verify(self.pkcs12_signed, os.path.join(self.certificates, "ca.pem"))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("Signature verification: ok", result.stdout)

    def test_a_copy_changed_after_signing_is_rejected(self):
        tampered = os.path.join(WORK, "tampered.exe")
        with open(self.signed, "rb") as f:
            data = bytearray(f.read())
        data[0x1000] ^= 0x01  # a byte of the program's code
        with open(tampered, "wb") as f:
            f.write(data)
        result = self.verify(tampered, os.path.join(self.token, "ca.pem"))
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
