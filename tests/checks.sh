# The shell tests' counting: `check DESCRIPTION COMMAND...` runs COMMAND and counts it as passed
# or failed, a failure reported under DESCRIPTION.
passed=0
failed=0
check() {
  local what="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
  fi
}
