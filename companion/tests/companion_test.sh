#!/usr/bin/env bash
# Checks of the companion app without a phone. One case per run:
#   package     the package is signed (v1 for Android 4.4 to 6, v2, v3) and
#               declares the package, activity, service, permissions and SDKs
#   references  every android.* reference of the dex is in the stubs with its
#               API level; what ART rejects and the JVM does not
#   load        every class loads with full verification on the JVM
#   commands    every command over the socket on a simulated phone, at
#               Android 4.4, 6, 10 and 14
# Environment: APK, DEX, APP_JAR, HARNESS (stub classes), PHONESIM, WORK_ROOT.
set -euo pipefail
case_name="$1"
work="$WORK_ROOT/$case_name"
rm -rf "$work"
mkdir -p "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

case "$case_name" in
package)
  apksigner verify --verbose "$APK" > "$work/verify.txt" || fail "apksigner verify refuses $APK"
  for scheme in "v1 scheme (JAR signing): true" "v2 scheme (APK Signature Scheme v2): true" \
                "v3 scheme (APK Signature Scheme v3): true"; do
    grep -qF "$scheme" "$work/verify.txt" || fail "not signed with the $scheme"
  done
  aapt dump badging "$APK" > "$work/badging.txt" || fail "aapt cannot read $APK"
  aapt dump xmltree "$APK" AndroidManifest.xml > "$work/manifest.txt"
  expect=(
    "package: name='com.velmora.tarvell'"
    "sdkVersion:'19'"
    "launchable-activity: name='com.velmora.tarvell.activity.ServiceActivity'"
    "application-label:'Tarvell'"
  )
  for line in "${expect[@]}"; do
    grep -qF "$line" "$work/badging.txt" || fail "badging lacks: $line"
  done
  target=$(sed -n "s/^targetSdkVersion:'\([0-9]*\)'/\1/p" "$work/badging.txt")
  [[ -n $target && $target -ge 34 ]] || fail "targetSdkVersion $target: Android 14 and 15 refuse below 34"
  for perm in READ_CONTACTS WRITE_CONTACTS READ_CALL_LOG WRITE_CALL_LOG READ_SMS INTERNET \
              FOREGROUND_SERVICE FOREGROUND_SERVICE_DATA_SYNC POST_NOTIFICATIONS QUERY_ALL_PACKAGES \
              READ_MEDIA_IMAGES READ_MEDIA_VIDEO READ_MEDIA_AUDIO; do
    grep -qF "uses-permission: name='android.permission.$perm'" "$work/badging.txt" ||
      fail "permission $perm is not declared"
  done
  grep -qF '"com.velmora.tarvell.CompanionService"' "$work/manifest.txt" || fail "the service is not declared"
  grep -qF 'foregroundServiceType' "$work/manifest.txt" || fail "the service has no foreground type"
  # What Android requires of an app that may become the messaging app.
  for needed in android.provider.Telephony.SMS_DELIVER android.provider.Telephony.WAP_PUSH_DELIVER \
                android.intent.action.RESPOND_VIA_MESSAGE android.intent.action.SENDTO \
                android.permission.BROADCAST_SMS android.permission.BROADCAST_WAP_PUSH \
                android.permission.SEND_RESPOND_VIA_MESSAGE; do
    grep -qF "\"$needed\"" "$work/manifest.txt" || fail "the manifest lacks $needed (messaging app)"
  done
  echo "package checks passed"
  ;;
references)
  # A register beyond .registers shows only when the dex is disassembled.
  baksmali disassemble -o "$work/smali" "$DEX" > "$work/baksmali.txt" 2>&1 ||
    { cat "$work/baksmali.txt"; fail "baksmali cannot disassemble the dex"; }
  ! grep -qi "error\|exception" "$work/baksmali.txt" || { cat "$work/baksmali.txt"; fail "baksmali reports errors"; }
  baksmali list methods "$DEX" > "$work/methods.txt"
  baksmali list fields "$DEX" > "$work/fields.txt"
  java -cp "$HARNESS" tarvell.harness.RefCheck "$work/methods.txt" "$work/fields.txt"
  # ART refuses invoke-direct on anything but a constructor or a private
  # method; smali, dexdump, enjarify and the JVM all accept it.
  awk '
    FNR == 1 { cls = "" }
    /^\.class/ { cls = $NF }
    /^\.method/ && / private / { n = $NF; sub(/\(.*/, "", n); private[cls "->" n] = 1 }
    /invoke-direct/ { line[++count] = $0 }
    END {
      bad = 0
      for (i = 1; i <= count; i++) {
        ref = line[i]; sub(/.*\}, /, "", ref)
        target = ref; sub(/\(.*/, "", target)
        name = target; sub(/.*->/, "", name)
        if (name == "<init>") continue
        if (!(target in private)) { print "invoke-direct on a method that is not private: " ref; bad = 1 }
      }
      exit bad
    }' $(find "$work/smali" -name '*.smali') || fail "invoke-direct that ART rejects"
  # Calls of more than five registers need invoke-*/range; smali refuses
  # them otherwise, so a dex that assembled is fine there.
  echo "reference checks passed"
  ;;
load)
  java -Xverify:all -cp "$HARNESS:$APP_JAR" tarvell.harness.Main --app "$APP_JAR" --load-only
  ;;
commands)
  "$PHONESIM" gen --preset small --seed 14 "$work/phone" > /dev/null
  java -Xverify:all -cp "$HARNESS:$APP_JAR" tarvell.harness.CommandTest "$work/phone" "$APP_JAR" "$work/runs" \
    2> "$work/service.log"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
