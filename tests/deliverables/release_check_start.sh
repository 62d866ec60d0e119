# The start the release checks share, sourced by each with its own arguments (SOURCE_DIR
# BUILD_DIR VERSION): those, a count of failures, and a scratch folder removed at the end.
set -eu
source=$1
build=$2
version=$3
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-release-check.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
