"""Opens a provider's code-signing key in a PKCS#11 token (a USB token, a
network HSM or a cloud HSM's client library) and checks it before anything is
built: the module loads, the token is there, the PIN opens it (one try only:
real tokens lock after a few wrong ones), the key and the certificate are
found and belong together. Objects are named by PKCS#11 URIs (RFC 7512).

Needs PyKCS11 and cryptography (Debian's python3-pykcs11, python3-cryptography).
"""

import hashlib
import os
import urllib.parse

import PyKCS11
from cryptography import x509
from cryptography.exceptions import InvalidSignature
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec, padding, rsa, utils

# What a token URI may say about the token and about the object.
TOKEN_ATTRIBUTES = {"token": "label", "manufacturer": "manufacturerID", "serial": "serialNumber",
                    "model": "model"}
OBJECT_ATTRIBUTES = ("object", "id", "type")
IGNORED_ATTRIBUTES = ("library-manufacturer", "library-description", "library-version",
                      "slot-manufacturer", "slot-description", "slot-id", "module-name",
                      "module-path")
TYPES = {"private": PyKCS11.CKO_PRIVATE_KEY, "cert": PyKCS11.CKO_CERTIFICATE}


class TokenError(Exception):
    """A problem with FIELD's value, told in TEXT."""

    def __init__(self, field, text):
        super().__init__(f"{field}: {text}")


def parse_uri(field, uri):
    """{attribute: value} of a pkcs11: URI, values percent-decoded ('id' as bytes)."""
    path, _, query = uri.removeprefix("pkcs11:").partition("?")
    attributes = {}
    for part in [p for p in path.split(";") if p] + [q for q in query.split("&") if q]:
        name, sep, value = part.partition("=")
        if name in ("pin-value", "pin-source"):
            raise TokenError(field, "holds the PIN; the PIN goes in pin-file or pin-variable, "
                             "never in a URI that command lines show")
        if not sep or not (name in TOKEN_ATTRIBUTES or name in OBJECT_ATTRIBUTES
                           or name in IGNORED_ATTRIBUTES or name.startswith("x-")):
            known = ", ".join(list(TOKEN_ATTRIBUTES) + list(OBJECT_ATTRIBUTES))
            raise TokenError(field, f"{part!r} is not an attribute of a PKCS#11 URI "
                             f"(expected {known})")
        attributes[name] = (urllib.parse.unquote_to_bytes(value) if name == "id"
                            else urllib.parse.unquote(value))
    return attributes


def describe(attributes):
    return ";".join(f"{k}={v.hex() if isinstance(v, bytes) else v}" for k, v in attributes.items())


class Token:
    """A logged-in session on the token that the key's URI names."""

    def __init__(self, module, key_uri, pin, pin_field):
        self.library = PyKCS11.PyKCS11Lib()
        try:
            self.library.load(module)
        except PyKCS11.PyKCS11Error as e:
            raise TokenError("pkcs11-module", f"{module} does not load as a PKCS#11 module ({e})")
        self.key_attributes = parse_uri("key", key_uri)
        self.slot, info = self._slot(self.key_attributes)
        self.label = info.label.strip(' \0')
        self.session = self.library.openSession(self.slot, PyKCS11.CKF_SERIAL_SESSION)
        self._login(info, pin, pin_field)

    def _slot(self, attributes):
        wanted = {k: v for k, v in attributes.items() if k in TOKEN_ATTRIBUTES}
        present, matching = [], []
        for slot in self.library.getSlotList(tokenPresent=True):
            info = self.library.getTokenInfo(slot)
            if not info.flags & PyKCS11.CKF_TOKEN_INITIALIZED:
                continue
            present.append(info.label.strip(' \0'))
            if all(getattr(info, TOKEN_ATTRIBUTES[k]).strip(' \0') == v for k, v in wanted.items()):
                matching.append((slot, info))
        if len(matching) == 1:
            return matching[0]
        tokens = ", ".join(repr(p) for p in present) or "none"
        raise TokenError("key", f"{'several tokens match' if matching else 'no token matches'} "
                         f"{describe(wanted) or 'the URI'} (tokens present: {tokens})")

    def _login(self, info, pin, pin_field):
        if info.flags & PyKCS11.CKF_USER_PIN_LOCKED:
            raise TokenError(pin_field, f"the token {self.label!r} is locked after too many "
                             "wrong PINs; it was not tried. Unlock it with its maker's tools")
        if not info.flags & PyKCS11.CKF_LOGIN_REQUIRED:
            return  # a token whose keys need no PIN (some cloud HSMs' libraries)
        try:
            self.session.login(pin.decode(errors="surrogateescape"))
        except PyKCS11.PyKCS11Error as e:
            if e.value == PyKCS11.CKR_USER_ALREADY_LOGGED_IN:
                return
            if e.value == PyKCS11.CKR_PIN_INCORRECT:
                flags = self.library.getTokenInfo(self.slot).flags
                left = (" The next wrong PIN locks it." if flags & PyKCS11.CKF_USER_PIN_FINAL_TRY
                        else " It has few tries left." if flags & PyKCS11.CKF_USER_PIN_COUNT_LOW
                        else "")
                raise TokenError(pin_field, f"the token {self.label!r} refused the PIN; it is "
                                 f"not tried again, as a few wrong tries lock a token.{left}")
            if e.value == PyKCS11.CKR_PIN_LOCKED:
                raise TokenError(pin_field, f"the token {self.label!r} is locked after too many "
                                 "wrong PINs. Unlock it with its maker's tools")
            raise TokenError(pin_field, f"logging in to the token {self.label!r} failed ({e})")

    def objects(self, field, attributes, kind):
        for name, value in attributes.items():
            if name in TOKEN_ATTRIBUTES and value != getattr(
                    self.library.getTokenInfo(self.slot), TOKEN_ATTRIBUTES[name]).strip(' \0'):
                raise TokenError(field, f"names another token than key ({describe(attributes)})")
        if attributes.get("type", kind) != kind:
            raise TokenError(field, f"type={attributes['type']}: expected type={kind}")
        template = [(PyKCS11.CKA_CLASS, TYPES[kind])]
        if "object" in attributes:
            template.append((PyKCS11.CKA_LABEL, attributes["object"]))
        if "id" in attributes:
            template.append((PyKCS11.CKA_ID, attributes["id"]))
        return self.session.findObjects(template)

    def private_key(self):
        found = self.objects("key", self.key_attributes, "private")
        if len(found) != 1:
            raise TokenError("key", f"{describe(self.key_attributes)}: "
                             + (f"{len(found)} private keys match on the token {self.label!r}; "
                                "name one by object= or id=" if found else
                                f"no private key matches on the token {self.label!r}"))
        return found[0]

    def certificates(self, field, uri):
        found = self.objects(field, parse_uri(field, uri), "cert")
        return [x509.load_der_x509_certificate(bytes(self.session.getAttributeValue(
            handle, [PyKCS11.CKA_VALUE])[0])) for handle in found]

    def sign_digest(self, key, certificate):
        """A signature of a fresh challenge by KEY, checked against the
        certificate's public key: the key's public half itself is not always
        readable, so the pair is proved by use."""
        challenge = os.urandom(32)
        public = certificate.public_key()
        try:
            if isinstance(public, rsa.RSAPublicKey):
                mechanism = PyKCS11.Mechanism(PyKCS11.CKM_SHA256_RSA_PKCS, None)
                signature = bytes(self.session.sign(key, challenge, mechanism))
                public.verify(signature, challenge, padding.PKCS1v15(), hashes.SHA256())
            elif isinstance(public, ec.EllipticCurvePublicKey):
                digest = hashlib.sha256(challenge).digest()
                mechanism = PyKCS11.Mechanism(PyKCS11.CKM_ECDSA, None)
                raw = bytes(self.session.sign(key, digest, mechanism))
                half = len(raw) // 2
                signature = utils.encode_dss_signature(int.from_bytes(raw[:half], "big"),
                                                       int.from_bytes(raw[half:], "big"))
                public.verify(signature, digest, ec.ECDSA(utils.Prehashed(hashes.SHA256())))
            else:
                raise TokenError("certificate", "holds neither an RSA nor an EC key")
        except (InvalidSignature, PyKCS11.PyKCS11Error) as e:
            detail = "" if isinstance(e, InvalidSignature) else f" ({e})"
            raise TokenError("key", f"{describe(self.key_attributes)} does not belong to the "
                             f"certificate of {certificate.subject.rfc4514_string()}: its "
                             f"signature does not verify with the certificate's key{detail}")

    def close(self):
        try:
            self.session.logout()
            self.session.closeSession()
        except PyKCS11.PyKCS11Error:
            pass


def certificates_from_file(field, path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        if b"-----BEGIN" not in data:
            return [x509.load_der_x509_certificate(data)]
        end = b"-----END CERTIFICATE-----"
        return [x509.load_pem_x509_certificate(block + end)
                for block in data.split(end) if b"-----BEGIN CERTIFICATE-----" in block]
    except ValueError as e:
        raise TokenError(field, f"{path}: not a PEM or DER certificate ({e})")


def open_key(signing, pin, pin_field):
    """Opens and checks the token; returns (certificate, intermediates) as PEM
    bytes, the certificate the one the key belongs to."""
    token = Token(signing["pkcs11-module"], signing["key"], pin, pin_field)
    try:
        key = token.private_key()
        source = signing["certificate"]
        found = (token.certificates("certificate", source) if source.startswith("pkcs11:")
                 else certificates_from_file("certificate", source))
        if len(found) != 1:
            raise TokenError("certificate", f"{source}: " + (f"{len(found)} certificates match; "
                             "name one" if found else "no certificate matches"))
        certificate = found[0]
        token.sign_digest(key, certificate)
        chain = []
        if signing["intermediates"]:
            source = signing["intermediates"]
            chain = (token.certificates("intermediates", source) if source.startswith("pkcs11:")
                     else certificates_from_file("intermediates", source))
            chain = [c for c in chain if c != certificate]
            if not chain:
                raise TokenError("intermediates", f"{source}: no certificate besides the "
                                 "signing certificate")
    finally:
        token.close()
    pem = serialization.Encoding.PEM
    return certificate.public_bytes(pem), b"".join(c.public_bytes(pem) for c in chain)
