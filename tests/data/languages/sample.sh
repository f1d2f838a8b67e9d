#!/bin/sh
# Back up a folder into a dated archive.
set -eu

src=${1:?folder}
dest="backup-$(date +%Y%m%d).tar.gz"

tar -czf "$dest" "$src"  # compressed
echo "wrote $dest"
