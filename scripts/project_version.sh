# project_version prints the one version number, set in CMakeLists.txt's
# project() line; sourced by the scripts that check it.
project_version() {
  sed -n -E 's/^project\(tolvimer_launch VERSION ([0-9.]+).*/\1/p' \
    "$(dirname "${BASH_SOURCE[0]}")/../CMakeLists.txt"
}
