"""Throwaway signing keys for the signing tests, each in a folder of the test's
own: a SoftHSM2 token (SOFTHSM2_CONF) whose key is generated inside it, with
certificates from a throwaway authority, and an OpenPGP keyring. Everything is
done through the libraries, so no PIN or passphrase is ever on a command line.
"""

import datetime
import os
import subprocess

import PyKCS11
from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID

SOFTHSM = "/usr/lib/softhsm/libsofthsm2.so"
TOKEN_LABEL = "codesign"
KEY_LABEL = "signkey"
CHAIN_LABEL = "chain"
PIN = "4711 Ёж"
SO_PIN = "so-87654321"
PASSPHRASE = "Пароль пакетов 42"
KEY_URI = f"pkcs11:token={TOKEN_LABEL};object={KEY_LABEL};type=private"
CERTIFICATE_URI = f"pkcs11:token={TOKEN_LABEL};object={KEY_LABEL};type=cert"
CHAIN_URI = f"pkcs11:token={TOKEN_LABEL};object={CHAIN_LABEL};type=cert"


def softhsm_configuration(folder):
    """A SoftHSM2 configuration whose tokens live in FOLDER/tokens."""
    os.makedirs(os.path.join(folder, "tokens"), exist_ok=True)
    path = os.path.join(folder, "softhsm2.conf")
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"directories.tokendir = {folder}/tokens\nobjectstore.backend = file\n"
                "log.level = ERROR\nslots.removable = false\n")
    return path


def certificate(subject, public_key, issuer, issuer_key, days, usage=True, ca=False):
    now = datetime.datetime.now(datetime.timezone.utc)
    start = now - datetime.timedelta(days=2) if days < 0 else now - datetime.timedelta(hours=1)
    builder = (x509.CertificateBuilder().subject_name(subject).issuer_name(issuer)
               .public_key(public_key).serial_number(x509.random_serial_number())
               .not_valid_before(start).not_valid_after(now + datetime.timedelta(days=days))
               .add_extension(x509.BasicConstraints(ca, None), True))
    if usage:
        builder = builder.add_extension(x509.ExtendedKeyUsage([ExtendedKeyUsageOID.CODE_SIGNING]),
                                        False)
    return builder.sign(issuer_key, hashes.SHA256())


def make_token(folder):
    """A token 'codesign' in FOLDER with an RSA key made inside it, its
    certificate stored beside it and the authority's as 'chain'. FOLDER also
    gets ca.pem (the authority), expired.pem (the token's key, expired
    yesterday) and stranger.pem (a valid code-signing certificate for another
    key). Returns the environment that points SoftHSM2 at the token, which is
    also set in this process's own."""
    environment = {"SOFTHSM2_CONF": softhsm_configuration(folder)}
    os.environ.update(environment)
    library = PyKCS11.PyKCS11Lib()
    library.load(SOFTHSM)
    slot = library.getSlotList(tokenPresent=True)[0]
    library.initToken(slot, SO_PIN, TOKEN_LABEL.ljust(32))
    slot = next(s for s in library.getSlotList(tokenPresent=True)
                if library.getTokenInfo(s).label.strip() == TOKEN_LABEL)
    session = library.openSession(slot, PyKCS11.CKF_SERIAL_SESSION | PyKCS11.CKF_RW_SESSION)
    session.login(SO_PIN, PyKCS11.CKU_SO)
    session.initPin(PIN)
    session.logout()
    session.login(PIN)
    common = [(PyKCS11.CKA_TOKEN, True), (PyKCS11.CKA_LABEL, KEY_LABEL), (PyKCS11.CKA_ID, (1,))]
    public, _ = session.generateKeyPair(
        common + [(PyKCS11.CKA_CLASS, PyKCS11.CKO_PUBLIC_KEY), (PyKCS11.CKA_VERIFY, True),
                  (PyKCS11.CKA_MODULUS_BITS, 2048), (PyKCS11.CKA_PUBLIC_EXPONENT, (1, 0, 1))],
        common + [(PyKCS11.CKA_CLASS, PyKCS11.CKO_PRIVATE_KEY), (PyKCS11.CKA_SIGN, True),
                  (PyKCS11.CKA_PRIVATE, True), (PyKCS11.CKA_SENSITIVE, True),
                  (PyKCS11.CKA_EXTRACTABLE, False)],
        mecha=PyKCS11.MechanismRSAGENERATEKEYPAIR)
    modulus, exponent = session.getAttributeValue(
        public, [PyKCS11.CKA_MODULUS, PyKCS11.CKA_PUBLIC_EXPONENT])
    token_key = rsa.RSAPublicNumbers(int.from_bytes(bytes(exponent), "big"),
                                     int.from_bytes(bytes(modulus), "big")).public_key()

    ca_key = rsa.generate_private_key(65537, 2048)
    ca_name = x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Verolink test"),
                         x509.NameAttribute(NameOID.COMMON_NAME, "Verolink Test Token CA")])
    leaf_name = x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Тест-Телеком"),
                           x509.NameAttribute(NameOID.COMMON_NAME, "Тест-Телеком token")])
    files = {
        "ca.pem": certificate(ca_name, ca_key.public_key(), ca_name, ca_key, 1, False, True),
        "expired.pem": certificate(leaf_name, token_key, ca_name, ca_key, -1),
        "stranger.pem": certificate(leaf_name, rsa.generate_private_key(65537, 2048).public_key(),
                                    ca_name, ca_key, 1),
    }
    for name, value in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(value.public_bytes(serialization.Encoding.PEM))
    # The certificate beside its key, and the authority's as "chain", as an
    # intermediate certificate would be.
    leaf = certificate(leaf_name, token_key, ca_name, ca_key, 1)
    for label, value in ((KEY_LABEL, leaf), (CHAIN_LABEL, files["ca.pem"])):
        session.createObject([
            (PyKCS11.CKA_TOKEN, True), (PyKCS11.CKA_LABEL, label),
            (PyKCS11.CKA_CLASS, PyKCS11.CKO_CERTIFICATE),
            (PyKCS11.CKA_CERTIFICATE_TYPE, PyKCS11.CKC_X_509),
            (PyKCS11.CKA_SUBJECT, value.subject.public_bytes()),
            (PyKCS11.CKA_VALUE, value.public_bytes(serialization.Encoding.DER))]
            + ([(PyKCS11.CKA_ID, (1,))] if label == KEY_LABEL else []))
    session.logout()
    session.closeSession()
    return environment


def make_keyring(folder):
    """A GnuPG home FOLDER with one signing key under PASSPHRASE; returns its
    fingerprint. The passphrase goes to gpg through a pipe."""
    os.makedirs(folder, mode=0o700, exist_ok=True)
    read, write = os.pipe()
    os.write(write, PASSPHRASE.encode() + b"\n")
    os.close(write)
    made = subprocess.run(["gpg", "--homedir", folder, "--batch", "--pinentry-mode", "loopback",
                           "--passphrase-fd", str(read), "--quick-gen-key",
                           "Тест-Телеком packages <packages@test-telecom.example>", "ed25519",
                           "sign", "1d"], pass_fds=(read,), capture_output=True, text=True)
    os.close(read)
    assert made.returncode == 0, made.stderr
    listed = subprocess.run(["gpg", "--homedir", folder, "--with-colons", "--list-secret-keys"],
                            check=True, capture_output=True, text=True).stdout
    return next(line.split(":")[9] for line in listed.splitlines() if line.startswith("fpr:"))


def stop_agent(keyring):
    subprocess.run(["gpgconf", "--homedir", keyring, "--kill", "gpg-agent"], capture_output=True)
