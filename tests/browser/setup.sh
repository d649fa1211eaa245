#!/usr/bin/env bash
# Makes FOLDER (in the build tree) hold puppeteer-core for the browser
# tests, from npm, once: a later run finds it there and fetches nothing.
#
#   tests/browser/setup.sh FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
folder=$1
command -v node >/dev/null || { echo "node がありません。scripts/deps.sh で入れてください。" >&2; exit 1; }
chromium=${CHROMIUM:-/usr/bin/chromium}
[ -x "$chromium" ] || { echo "$chromium がありません。scripts/deps.sh で入れてください。" >&2; exit 1; }
mkdir -p "$folder"
if ! cmp -s "$here/package.json" "$folder/package.json" || [ ! -f "$folder/node_modules/puppeteer-core/package.json" ]; then
  cp "$here/package.json" "$folder/package.json"
  (cd "$folder" && npm install --no-audit --no-fund --loglevel=error)
fi
