# shellcheck shell=bash
# Sourced by the shell test suites: the bookkeeping of passed and failed
# checks, and the closing line whose status is the test's.
#
#   source checks.sh
#   expect "what" "$actual" "expected"
#   checks_end

checks_passed=0
checks_failed=0

check_fail() { # description, details...
  checks_failed=$((checks_failed + 1))
  printf 'FAIL %s\n' "$1"
  shift
  local line
  for line in "$@"; do printf '  %s\n' "$line"; done
}

expect() { # description actual expected
  if [[ $2 == "$3" ]]; then
    checks_passed=$((checks_passed + 1))
  else
    check_fail "$1" "expected: $3" "actual:   $2"
  fi
}

expect_true() { # description, command...
  local what=$1
  shift
  if "$@"; then
    checks_passed=$((checks_passed + 1))
  else
    check_fail "$what" "not true: $*"
  fi
}

# Compares two files byte for byte; on a difference shows both with their
# control characters visible.
expect_same_bytes() { # description actual-file expected-file
  if cmp -s "$2" "$3"; then
    checks_passed=$((checks_passed + 1))
  else
    check_fail "$1" "expected: $(cat -A "$3")" "actual:   $(cat -A "$2")"
  fi
}

# Prints the totals; fails when a check failed or none ran.
checks_end() {
  echo "$checks_passed passed, $checks_failed failed"
  ((checks_failed == 0 && checks_passed > 0))
}
