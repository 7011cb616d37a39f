#!/usr/bin/env bash
# Makes the certificates the secure layer's tests use, in DIR:
#   ca.pem                 the authority the clients trust
#   server.pem/key.pem     for localhost and 127.0.0.1
#   expired.pem            the same names, no longer valid
#   wrongname.pem          valid, for another host
#   deepleaf.pem           a leaf under eleven intermediates, which are in deepchain.pem
# One key signs and is certified throughout: the tests are about names, dates and depth.
set -euo pipefail
dir=$(realpath -m "$1")
ssl() { openssl "$@" 2>/dev/null; }
# A set made earlier serves while its server certificate is valid now: a build tree outlives
# the certificates' month, and scripts/test --at moves the clock (openssl reads the same one).
if [ -f "$dir/done" ]; then
  ssl verify -CAfile "$dir/ca.pem" "$dir/server.pem" >/dev/null && exit 0
  mv -T "$dir" "$dir.stale.$$" 2>/dev/null && rm -rf "$dir.stale.$$"
fi
# Made aside and moved in whole, so that tests running side by side never see half a set.
work=$(mktemp -d "$dir.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

ssl genrsa -out key.pem 2048
ssl req -x509 -new -key key.pem -out ca.pem -days 30 -subj "/O=Test Authority/CN=Test CA" \
  -addext basicConstraints=critical,CA:TRUE

sign() {  # sign NAME SUBJECT ISSUER DAYS EXTENSIONS
  ssl req -new -key key.pem -out "$1.csr" -subj "$2"
  printf '%s\n' "$5" > "$1.ext"
  ssl x509 -req -in "$1.csr" -CA "$3.pem" -CAkey key.pem -CAcreateserial -out "$1.pem" \
    -days "$4" -extfile "$1.ext"
}

leaf='subjectAltName=DNS:localhost,IP:127.0.0.1'
sign server "/O=Test/CN=localhost" ca 30 "$leaf"
sign expired "/O=Test/CN=localhost" ca -1 "$leaf"
sign wrongname "/O=Test/CN=other.example" ca 30 "subjectAltName=DNS:other.example"

issuer=ca
chain=""
for i in $(seq 1 11); do
  sign "inter$i" "/CN=Intermediate $i" "$issuer" 30 "basicConstraints=critical,CA:TRUE"
  chain="inter$i.pem $chain"
  issuer=inter$i
done
sign deepleaf "/O=Test/CN=localhost" "$issuer" 30 "$leaf"
cat $chain > deepchain.pem
touch done
mv -T "$work" "$dir" 2>/dev/null || [ -f "$dir/done" ]
