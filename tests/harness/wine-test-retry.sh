#!/usr/bin/env bash
# The retry rule of scripts/lib/wine-test, against a stand-in for Wine that does what each
# case asks: only a start that printed nothing and failed is made again, and only once.
set -u
wrapper=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib" && pwd)/wine-test
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The stand-in: start number N does what the word at position N of $FAKE_PLAN says.
#   quiet-fail  exit 3, nothing printed      talk-fail  print a line, exit 1
#   quiet-ok    exit 0, nothing printed      talk-ok    print a line, exit 0
cat >"$work/fake-wine" <<'EOF'
#!/usr/bin/env bash
n=$(($(cat "$FAKE_COUNT" 2>/dev/null || echo 0) + 1))
echo "$n" >"$FAKE_COUNT"
read -r -a plan <<<"$FAKE_PLAN"
case ${plan[n - 1]:-talk-ok} in
quiet-fail) exit 3 ;;
quiet-ok) exit 0 ;;
talk-fail) echo "[  FAILED  ] $*"; exit 1 ;;
talk-ok) echo "[       OK ] $*"; exit 0 ;;
esac
EOF
chmod +x "$work/fake-wine"

failures=0
# case NAME PLAN PLANTED WANT_RC WANT_STARTS WANT_RETRIES
check() {
    local name=$1 plan=$2 planted=$3 want_rc=$4 want_starts=$5 want_retries=$6 rc starts retries
    rm -f "$work/count" "$work/retries"
    FAKE_PLAN=$plan FAKE_COUNT="$work/count" TARVO_WINE="$work/fake-wine" \
        TARVO_TEST_RETRY_LOG="$work/retries" TARVO_TEST_PLANT_START_FAILURE=$planted \
        "$wrapper" Z:/t/win_tests.exe --gtest_filter=Suite.Case >"$work/out" 2>"$work/err"
    rc=$?
    starts=$(cat "$work/count" 2>/dev/null || echo 0)
    retries=$(cat "$work/retries" 2>/dev/null | grep -c "Suite.Case ended with exit code")
    if [[ $rc != "$want_rc" || $starts != "$want_starts" || $retries != "$want_retries" ]]; then
        echo "FAILED $name: exit $rc, $starts starts, $retries retries;" \
            "wanted exit $want_rc, $want_starts starts, $want_retries retries"
        sed 's/^/    /' "$work/out" "$work/err"
        failures=$((failures + 1))
    else
        echo "ok     $name"
    fi
}

check "a silent failure is started again"         "quiet-fail talk-ok"   ""           0 2 1
check "a failure that printed stands"             "talk-fail talk-ok"    ""           1 1 0
check "a silent success is left alone"            "quiet-ok"             ""           0 1 0
check "a second silent failure fails the run"     "quiet-fail quiet-fail" ""          3 2 1
check "a planted start failure is retried"        "talk-ok"              "Suite.Case" 0 1 1
check "a plant for another test changes nothing"  "talk-fail"            "Other.Case" 1 1 0

# The output of the start that counts reaches ctest, and the retry line names the test.
FAKE_PLAN="quiet-fail talk-ok" FAKE_COUNT="$work/count2" TARVO_WINE="$work/fake-wine" \
    "$wrapper" Z:/t/win_tests.exe --gtest_filter=Suite.Case >"$work/out" 2>"$work/err"
if grep -q '^\[       OK \]' "$work/out" &&
    grep -q '^wine-test: Suite.Case ended with exit code 3 before printing anything' "$work/err"; then
    echo "ok     the retry is named on a line of its own, with what Wine returned"
else
    echo "FAILED the retry line or the output is missing"
    failures=$((failures + 1))
fi

# A listing is named by its program.
FAKE_PLAN="quiet-fail talk-ok" FAKE_COUNT="$work/count3" TARVO_WINE="$work/fake-wine" \
    "$wrapper" Z:/t/e2e_tests.exe --gtest_list_tests >/dev/null 2>"$work/err"
if grep -q 'the test listing of e2e_tests.exe ended with exit code 3' "$work/err"; then
    echo "ok     a listing's retry names its program"
else
    echo "FAILED a listing's retry does not name its program"
    failures=$((failures + 1))
fi

((failures == 0))
