#!/usr/bin/python3
"""Signs a provider's Windows program with the provider's code-signing
certificate (Authenticode, SHA-256, through osslsigncode).

    scripts/sign-program.py --check PROVIDER_FOLDER
    scripts/sign-program.py PROVIDER_FOLDER PROGRAM.exe SIGNED.exe

provider.txt names the key in a PKCS#11 token, its certificate and the PIN:

    pkcs11-module = /usr/lib/x86_64-linux-gnu/acme-token.so   (the token maker's module)
    key = pkcs11:token=Acme;object=codesign;type=private       (RFC 7512 URIs)
    certificate = pkcs11:token=Acme;object=codesign;type=cert  (or a PEM or DER file)
    intermediates = chain.pem                        (optional: a file, or a URI)
    pin-file = /secure/acme-token.pin                (its first line)
    pin-variable = ACME_TOKEN_PIN                    (or: this environment variable)

or a PKCS#12 file, the certificate with its key, and where its password is:

    certificate = /secure/acme-codesign.p12
    password-file = /secure/acme-codesign.pass      (or password-variable)

and either may add a time-stamp server (RFC 3161):

    timestamp = http://timestamp.example/

Relative paths are taken from the provider folder. --check opens the key and
checks that it may sign code now (the token: module, token, one try of the
PIN, key and certificate found and belonging together); the build runs it
before building anything. Without a certificate line, SIGNED.exe is a copy of
PROGRAM.exe and one line says that it is unsigned. A key that cannot be used
stops with "FIELD: what is wrong", exit status 1, and SIGNED.exe is not
written. The password and the PIN go to openssl and osslsigncode on their
standard input only (osslsigncode hands the PIN to the PKCS#11 engine); they
are never written to a file or a command line.
"""

import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from provider_signing import InputError, provider_files, signing_main  # noqa: E402
import provider_signing  # noqa: E402
import pkcs11_token  # noqa: E402

UNSIGNED_NOTICE = ("the Windows program is unsigned (provider.txt names no certificate): "
                   "its subscribers will see \"Unknown publisher\" when Windows asks to let "
                   "it make changes, and SmartScreen may stop a fresh download with "
                   "\"Windows protected your PC\"")


def fail(text):
    raise InputError(f"certificate: {text}")


def tool(name):
    return provider_signing.tool(name, "sign-program")


def password(signing):
    return provider_files.secret(signing, "password-file", "password-variable")


def pin(signing):
    return provider_files.secret(signing, "pin-file", "pin-variable")


def pin_field(signing):
    return "pin-file" if signing["pin-file"] is not None else "pin-variable"


def certificate_text(signing, secret):
    """The certificate's own entry of the PKCS#12 file, as PEM text."""
    command = [tool("openssl"), "pkcs12", "-in", signing["certificate"], "-passin", "stdin",
               "-nokeys", "-clcerts"]
    result = subprocess.run(command, input=secret + b"\n", capture_output=True)
    if result.returncode != 0 and b"unsupported" in result.stderr:
        # An older file, encrypted with a cipher that OpenSSL 3 keeps apart.
        result = subprocess.run(command + ["-legacy"], input=secret + b"\n", capture_output=True)
    errors = result.stderr.decode(errors="replace")
    if result.returncode != 0:
        source = (f"password-file {signing['password-file']}" if signing["password-file"]
                  else f"the variable {signing['password-variable']}")
        if "invalid password" in errors:
            fail(f"{signing['certificate']}: wrong password (from {source})")
        first = errors.strip().splitlines()[:1] or ["no reason given"]
        fail(f"{signing['certificate']}: not a PKCS#12 file openssl can open ({first[0]})")
    if b"BEGIN CERTIFICATE" not in result.stdout:
        fail(f"{signing['certificate']}: holds no certificate with its private key")
    return result.stdout


def x509(pem, *options):
    result = subprocess.run([tool("openssl"), "x509", "-noout", *options], input=pem,
                            capture_output=True, check=True)
    return result.stdout.decode(errors="replace")


def token_certificates(signing, secret):
    """The certificate and the intermediates of a key in a token, as PEM."""
    try:
        return pkcs11_token.open_key(signing, secret, pin_field(signing))
    except pkcs11_token.TokenError as e:
        raise InputError(f"provider.txt: {e}")


def check_certificate(signing, secret):
    """Stops unless the key may sign code now; returns its certificate's
    subject and, for a token, the certificate and intermediates as PEM."""
    if signing["pkcs11-module"]:
        pem, chain = token_certificates(signing, secret)
    else:
        pem, chain = certificate_text(signing, secret), None
    name = signing["certificate"]
    subject = x509(pem, "-subject", "-nameopt", "utf8,sep_comma_plus").strip()
    subject = subject.removeprefix("subject=").strip()
    dates = dict(re.findall(r"^(notBefore|notAfter)=(.*)$", x509(pem, "-dates"), re.M))
    when = {k: datetime.datetime.strptime(v, "%b %d %H:%M:%S %Y GMT").replace(
        tzinfo=datetime.timezone.utc) for k, v in dates.items()}
    now = datetime.datetime.now(datetime.timezone.utc)
    if when["notAfter"] <= now:
        fail(f"{name} ({subject}) expired on {dates['notAfter']}; "
             "a renewed certificate is needed to sign")
    if when["notBefore"] > now:
        fail(f"{name} ({subject}) is valid only from {dates['notBefore']}")
    usage = x509(pem, "-ext", "extendedKeyUsage")
    if "Code Signing" not in usage:
        purposes = ", ".join(l.strip() for l in usage.splitlines()[1:])
        fail(f"{name} ({subject}) is not meant for code signing: "
             + (f"its extended key usage is {purposes}" if purposes
                else "it names no extended key usage") + ", expected Code Signing")
    key_usage = x509(pem, "-ext", "keyUsage")
    if key_usage.strip() and "Digital Signature" not in key_usage:
        fail(f"{name} ({subject}) is not meant for code signing: its key usage lacks "
             "Digital Signature")
    return subject, None if chain is None else pem + chain


def pkcs11_engine():
    """OpenSSL's PKCS#11 engine, through which osslsigncode uses the token."""
    result = subprocess.run([tool("openssl"), "version", "-e"], capture_output=True, text=True)
    folder = result.stdout.partition('"')[2].rpartition('"')[0]
    path = os.path.join(folder, "pkcs11.so")
    if not os.path.isfile(path):
        raise InputError("sign-program: OpenSSL's PKCS#11 engine is missing "
                         "(scripts/install-deps.sh installs libengine-pkcs11-openssl)")
    return path


def sign(folder, program, signed):
    fields = provider_files.read_fields(folder)
    signing = provider_files.signing_fields(folder, fields)
    if signing is None:
        print(f"sign-program: {os.path.basename(folder)}: {UNSIGNED_NOTICE}")
        shutil.copy(program, signed)
        return
    token = bool(signing["pkcs11-module"])
    secret = pin(signing) if token else password(signing)
    subject, certificates = check_certificate(signing, secret)
    # The description that Windows shows as the program's name: osslsigncode
    # stores it as ASCII, so it is the product's Latin name; the publisher
    # shown beside it is the certificate's subject.
    command = [tool("osslsigncode"), "sign", "-readpass", "-", "-h", "sha256",
               "-n", "Verolink PPPoE", "-i", fields["page"]]
    if signing["timestamp"]:
        command += ["-ts", signing["timestamp"]]
    # osslsigncode writes beside the result, which appears only when whole.
    scratch = tempfile.mkdtemp(prefix=".signing-", dir=os.path.dirname(os.path.abspath(signed)))
    try:
        if token:
            # The certificates the token gave, beside the key that stays in it.
            with open(os.path.join(scratch, "certificates.pem"), "wb") as f:
                f.write(certificates)
            command += ["-pkcs11engine", pkcs11_engine(), "-pkcs11module",
                        signing["pkcs11-module"], "-key", signing["key"], "-certs", f.name]
        else:
            command += ["-pkcs12", signing["certificate"]]
        out = os.path.join(scratch, "signed.exe")
        result = subprocess.run(command + ["-in", program, "-out", out], input=secret,
                                capture_output=True)
        if result.returncode != 0 or not os.path.isfile(out):
            errors = result.stdout.decode(errors="replace") + result.stderr.decode(errors="replace")
            if signing["timestamp"] and "timestamp" in errors.lower():
                raise InputError(f"timestamp: the server {signing['timestamp']} gave no time "
                                 f"stamp, so nothing was signed:\n{errors}")
            fail(f"osslsigncode could not sign {program} with {signing['certificate']}:\n{errors}")
        os.chmod(out, 0o755)
        os.replace(out, signed)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    stamp = f", time-stamped by {signing['timestamp']}" if signing["timestamp"] else ""
    print(f"sign-program: signed {os.path.basename(signed)} as {subject} (SHA-256{stamp})")


def check(folder):
    signing = provider_files.signing_fields(folder, provider_files.read_fields(folder))
    if signing is not None:
        check_certificate(signing, pin(signing) if signing["pkcs11-module"] else password(signing))


if __name__ == "__main__":
    sys.exit(signing_main(sys.argv, __doc__, check, sign, 2))
