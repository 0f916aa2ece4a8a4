#!/usr/bin/env bash
# sandboxed_thumbnailer.sh BUILD SAMPLES: runs the installed program as GNOME runs thumbnailers, under
# bubblewrap: /usr read-only, nothing of /etc but ld.so.cache, no home folder, a fresh /tmp, the input
# as a read-only copy under another name, no network. A thumbnail must come out with nothing else
# written; a file that gives none must leave no output and exit non-zero.
set -euo pipefail
build=$1 samples=$2
if ! command -v bwrap >/dev/null; then echo "bwrap is not installed"; exit 1; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null

thumbnail() {  # thumbnail INPUT OUTPUT-NAME: prints the exit status
  local input=$1 out=$2 tmp=$work/tmp
  rm -rf "$tmp" && mkdir -p "$tmp"
  set +e
  env -i PATH=/usr/bin bwrap \
    --ro-bind /usr /usr --ro-bind /etc/ld.so.cache /etc/ld.so.cache \
    --symlink usr/lib /lib --symlink usr/lib64 /lib64 --symlink usr/bin /bin --symlink usr/sbin /sbin \
    --ro-bind "$work/prefix" /opt/aldra \
    --proc /proc --dev /dev --chdir / --setenv GIO_USE_VFS local \
    --unshare-all --die-with-parent \
    --bind "$tmp" /tmp \
    --ro-bind "$input" /tmp/gnome-desktop-file-to-thumbnail.eps \
    /opt/aldra/bin/aldra-eps thumbnail --force --size 256 /tmp/gnome-desktop-file-to-thumbnail.eps "/tmp/$out" \
    >"$work/stdout" 2>"$work/stderr"
  echo $?
  set -e
}

status=$(thumbnail "$samples/harbour.eps" gnome-desktop-thumbnailer.png)
[ "$status" = 0 ] || { echo "thumbnail failed ($status):"; cat "$work/stderr"; exit 1; }
head -c 8 "$work/tmp/gnome-desktop-thumbnailer.png" | od -An -c | grep -q 'P   N   G' ||
  { echo "the output is not a PNG"; exit 1; }
left=$(cd "$work/tmp" && find . -mindepth 1 ! -name gnome-desktop-thumbnailer.png ! -name gnome-desktop-file-to-thumbnail.eps)
[ -z "$left" ] || { echo "written besides the thumbnail: $left"; exit 1; }

status=$(thumbnail "$samples/damaged.eps" gnome-desktop-thumbnailer.png)
[ "$status" != 0 ] || { echo "a damaged file gave exit status 0"; exit 1; }
[ ! -e "$work/tmp/gnome-desktop-thumbnailer.png" ] || { echo "a damaged file left an output"; exit 1; }
left=$(cd "$work/tmp" && find . -mindepth 1 ! -name gnome-desktop-file-to-thumbnail.eps)
[ -z "$left" ] || { echo "a failed run left: $left"; exit 1; }
echo "the sandboxed thumbnailer works"
