# Sourced by test.sh and wine-suite.sh. ctest_run LABEL BUILD_DIR SUMMARY_FILE [CTEST_ARGS...]:
# runs ctest in BUILD_DIR and appends its line (passed, failed, skipped, disabled) to the
# summary. In BUILD_DIR/tests/host only the host-side checks run: the test programs, which
# only Wine can list, are not asked for their tests.
ctest_run() {
  local label=$1 build=$2 summary=$3 rc=0 only=()
  shift 3
  [[ $build == */tests/host ]] && only=(--host-only)
  rm -f "$build/ctest-junit.xml"
  (cd "$build" && ctest --timeout 120 --output-on-failure --output-junit "$build/ctest-junit.xml" "$@") || rc=1
  "$(dirname "${BASH_SOURCE[0]}")/ctest_summary.py" "$label" "$build" "$build/ctest-junit.xml" "$summary" "${only[@]}" || rc=1
  return $rc
}
