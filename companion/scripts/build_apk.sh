#!/usr/bin/env bash
# Builds the signed companion package from the smali sources.
#   build_apk.sh SOURCE_DIR WORK_DIR OUTPUT_APK
# The signing key is made in WORK_DIR on first use and never leaves the build
# tree: each build tree signs with its own key, which is fine because the
# computer removes the companion before it installs it.
set -euo pipefail
src="$1"
work="$2"
out="$3"
framework=/usr/share/android-framework-res/framework-res.apk

for tool in smali aapt zipalign apksigner keytool; do
  command -v "$tool" >/dev/null || { echo "build_apk.sh: $tool is missing; run scripts/setup.sh" >&2; exit 1; }
done
[[ -f $framework ]] || { echo "build_apk.sh: $framework is missing; run scripts/setup.sh" >&2; exit 1; }

mkdir -p "$work"
stage="$work/stage"
rm -rf "$stage"
mkdir -p "$stage"

# API 19 is the oldest release served (Android 4.4).
smali assemble --api 19 -o "$stage/classes.dex" "$src/smali"
aapt package -f -M "$src/AndroidManifest.xml" -S "$src/res" -I "$framework" -F "$stage/unaligned.apk"
# aapt stores the path as given: add classes.dex from its own folder.
(cd "$stage" && aapt add unaligned.apk classes.dex >/dev/null)
zipalign -f -p 4 "$stage/unaligned.apk" "$stage/aligned.apk"

key="$work/signing.jks"
pass_file="$work/signing.pass"
if [[ ! -f $key || ! -f $pass_file ]]; then
  rm -f "$key"
  (umask 077 && head -c 24 /dev/urandom | od -An -tx1 | tr -d ' \n' > "$pass_file")
  keytool -genkeypair -keystore "$key" -storetype PKCS12 -storepass:file "$pass_file" \
    -alias tarvell -keyalg RSA -keysize 2048 -validity 10000 -dname "CN=Tarvell companion" 2>/dev/null
fi
# v1 (JAR) for Android 4.4 to 6, v2 and v3 for the later releases.
apksigner sign --ks "$key" --ks-pass "file:$pass_file" --ks-key-alias tarvell \
  --min-sdk-version 19 --v1-signing-enabled true --v2-signing-enabled true --v3-signing-enabled true \
  --out "$stage/signed.apk" "$stage/aligned.apk"
cp "$stage/classes.dex" "$work/classes.dex"
mv "$stage/signed.apk" "$out"
