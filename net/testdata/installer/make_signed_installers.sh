#!/usr/bin/env bash
# Makes the installers the verification tests download: test certificates (a trusted root,
# an untrusted one, signers that are right, of another organisation, expired or not for code
# signing) and the two builds of the fake installer, signed each way.
#   make_signed_installers.sh OUT_DIR NEW_EXE OLD_EXE
set -euo pipefail
out=$1 new_exe=$2 old_exe=$3
work=$out/certs
rm -rf "$out"
mkdir -p "$work"
cd "$work"

root() {  # name subject
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 3650 \
    -subj "$2" -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
    2>/dev/null
}

# leaf NAME ROOT ORG EKU [STARTDATE ENDDATE]
leaf() {
  local name=$1 ca=$2 org=$3 eku=$4 start=${5:-} end=${6:-}
  openssl req -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" \
    -subj "/C=US/O=$org/CN=$org Test Signer" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' \
    "$eku" >"$name.ext"
  mkdir -p ca.db
  : >ca.db/index.txt
  printf '%s\n' "$(openssl rand -hex 8)" >ca.db/serial
  cat >"$name.cnf" <<CNF
[ca]
default_ca = test
[test]
database = ca.db/index.txt
serial = ca.db/serial
new_certs_dir = ca.db
default_md = sha256
policy = any
unique_subject = no
copy_extensions = none
[any]
countryName = optional
organizationName = optional
commonName = supplied
CNF
  local dates=(-days 3650)
  [ -n "$start" ] && dates=(-startdate "$start" -enddate "$end")
  openssl ca -batch -config "$name.cnf" -cert "$ca.pem" -keyfile "$ca.key" -in "$name.csr" \
    -out "$name.pem" -extfile "$name.ext" -notext "${dates[@]}" 2>/dev/null
}

sign() {  # LEAF ROOT IN OUT
  cat "$1.pem" "$2.pem" >"$1.chain.pem"
  osslsigncode sign -h sha256 -certs "$1.chain.pem" -key "$1.key" -in "$3" -out "$4" >/dev/null
}

root trusted "/C=US/O=Corvelle Test Root/CN=Corvelle Test Root"
root stranger "/C=US/O=Corvelle Software/CN=Stranger Root"
leaf good trusted "Corvelle Software" codeSigning
leaf other trusted "Other Software" codeSigning
leaf expired trusted "Corvelle Software" codeSigning 20200101000000Z 20210101000000Z
leaf server trusted "Corvelle Software" serverAuth
leaf untrusted stranger "Corvelle Software" codeSigning
openssl x509 -in trusted.pem -outform DER -out "$out/test_root.der"

sign good trusted "$new_exe" "$out/good.exe"
cp "$new_exe" "$out/unsigned.exe"
cp "$out/good.exe" "$out/tampered.exe"
# One byte of the program itself, well before the signature at the end.
printf '\x5a' | dd of="$out/tampered.exe" bs=1 seek=1040 conv=notrunc 2>/dev/null
sign untrusted stranger "$new_exe" "$out/untrusted_root.exe"
sign other trusted "$new_exe" "$out/other_organisation.exe"
sign expired trusted "$new_exe" "$out/expired.exe"
sign server trusted "$new_exe" "$out/not_for_code_signing.exe"
sign good trusted "$old_exe" "$out/not_newer.exe"
echo made "$out"
