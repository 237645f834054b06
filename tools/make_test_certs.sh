#!/usr/bin/env bash
# Test certificates for the HTTPS update site, written into DIR (created if missing):
#   ca.key, ca.crt, ca.der     test CA (PEM key and certificate; the certificate also in DER for Windows)
#   server.key, server.crt     certificate for localhost (SAN DNS:localhost, IP:127.0.0.1) signed by the CA
#   untrusted.key, untrusted.crt
#                              self-signed certificate for localhost that nothing trusts
# Does nothing when all of them exist. Usage: make_test_certs.sh DIR
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 DIR" >&2
  exit 2
fi
dir=$1
files=(ca.key ca.crt ca.der server.key server.crt untrusted.key untrusted.crt)

all_present() {
  local f
  for f in "${files[@]}"; do [ -s "$dir/$f" ] || return 1; done
}

mkdir -p "$dir"
all_present && exit 0

# Two test runs may start at once: one generates, the other waits and then finds the files.
exec 9>"$dir/.lock"
flock 9
all_present && exit 0

work=$(mktemp -d "$dir/.gen.XXXXXX")
trap 'rm -rf "$work"' EXIT
days=3650

cat >"$work/ca.ext" <<'EOF'
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
EOF
cat >"$work/server.ext" <<'EOF'
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
cat >"$work/untrusted.ext" <<'EOF'
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1
subjectKeyIdentifier = hash
EOF

# RSA keys: the TLS stack under Wine and older Windows handle them everywhere.
ossl() { openssl "$@" 2>"$work/openssl.err" || { cat "$work/openssl.err" >&2; exit 1; }; }

ossl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/ca.key"
ossl req -new -key "$work/ca.key" -subj "/O=Vandrel Test/CN=Vandrel Test CA" -out "$work/ca.csr"
ossl x509 -req -in "$work/ca.csr" -signkey "$work/ca.key" -days "$days" -sha256 \
  -extfile "$work/ca.ext" -out "$work/ca.crt"
ossl x509 -in "$work/ca.crt" -outform DER -out "$work/ca.der"

ossl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/server.key"
ossl req -new -key "$work/server.key" -subj "/O=Vandrel Test/CN=localhost" -out "$work/server.csr"
ossl x509 -req -in "$work/server.csr" -CA "$work/ca.crt" -CAkey "$work/ca.key" -set_serial "0x$(openssl rand -hex 8)" \
  -days "$days" -sha256 -extfile "$work/server.ext" -out "$work/server.crt"

# Same name as the trusted one, so the only reason to refuse it is that nobody vouches for it.
ossl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/untrusted.key"
ossl req -new -key "$work/untrusted.key" -subj "/O=Nobody/CN=localhost" -out "$work/untrusted.csr"
ossl x509 -req -in "$work/untrusted.csr" -signkey "$work/untrusted.key" -days "$days" -sha256 \
  -extfile "$work/untrusted.ext" -out "$work/untrusted.crt"

ossl verify -CAfile "$work/ca.crt" "$work/server.crt" >/dev/null

chmod 600 "$work"/*.key
# The CA goes last so that a half-written set is never mistaken for a complete one.
for f in server.key server.crt untrusted.key untrusted.crt ca.key ca.der ca.crt; do
  mv -f "$work/$f" "$dir/$f"
done
