#!/usr/bin/env bash
# Makes a throwaway certificate authority and, signed by it, PKCS#12 files
# under the password PASSWORD, each valid for a day:
#
#   make_certificates.sh FOLDER PASSWORD
#
#   ca.pem            the authority, to verify signatures against
#   code-signing.p12  a code-signing certificate (extended key usage Code Signing)
#   web-server.p12    a certificate for a web server (TLS Web Server Authentication)
#   expired.p12       a code-signing certificate that expired yesterday
set -euo pipefail
folder=$1 password=$2
mkdir -p "$folder"
cd "$folder"

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 1 \
  -subj "/O=Verolink test/CN=Verolink Test Code Signing CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  2>/dev/null
# leaf NAME DAYS USAGE: NAME.p12 with the authority's certificate beside its own.
leaf() {
  openssl req -new -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" \
    -subj "/O=Тест-Телеком/CN=Тест-Телеком $1" -utf8 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' \
    "$3" >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -days "$2" -extfile "$1.ext" \
    -out "$1.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -certfile ca.pem -out "$1.p12" \
    -passout "pass:$password"
}
leaf code-signing 1 codeSigning
leaf web-server 1 serverAuth
leaf expired -1 codeSigning
