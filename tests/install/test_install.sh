#!/usr/bin/env bash
# Installs the build into a temporary prefix and makes a thumbnail with the installed program the
# way a sandboxed file manager runs it: no user settings reachable, the object found through the
# machine-wide registration.
set -euo pipefail
build=$1
fixtures=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/tavrin bin/tavrin-properties bin/tavrin-control bin/TavrinViewer \
         share/applications/tavrin-control.desktop share/applications/TavrinViewer.desktop \
         share/thumbnailers/tavrin.thumbnailer share/mime/packages/tavrin-mime.xml \
         share/kio/servicemenus/tavrin-commands.desktop share/nemo/actions/tavrin-aside.nemo_action \
         share/tavrin/HKEY_CLASSES_ROOT.reg; do
    [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
# Every icon the MIME package names is in the icon theme, at each size.
for name in $(grep -o '<icon name="[^"]*"' "$prefix/share/mime/packages/tavrin-mime.xml" | cut -d'"' -f2 | sort -u); do
    for size in 16 32 48 64; do
        icon="$prefix/share/icons/hicolor/${size}x${size}/mimetypes/$name.png"
        [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || { echo "no icon: $icon"; exit 1; }
    done
done
for lib in libTavrinPlus.so libTVR_CPL.so; do
    [ -n "$(find "$prefix" -name "$lib")" ] || { echo "not installed: $lib"; exit 1; }
done
"$prefix/bin/tavrin-control" --help | grep -q '^Usage: tavrin-control'

# The thumbnailer starts once per file: libtiff and Little CMS, with their own dependencies, are
# loaded only when a picture needs them, never at start.
for binary in "$prefix/bin/tavrin" "$(find "$prefix" -name libTavrinPlus.so)"; do
    if objdump -p "$binary" | grep -E 'NEEDED +(libtiff|liblcms2)'; then
        echo "$binary loads codecs at start"; exit 1
    fi
done

# A decode of raw data without a preview, as the thumbnailer falls back to it.
"$fixtures" "$prefix/raw" >/dev/null
"$prefix/bin/tavrin" decode --half "$prefix/raw/DSC_0008.NEF" "$prefix/decoded.ppm"
[ "$(head -c 2 "$prefix/decoded.ppm")" = P6 ]
"$prefix/bin/tavrin" decode --half "$prefix/raw/DSC_0008.NEF" "$prefix/decoded.tif"
[ "$(head -c 4 "$prefix/decoded.tif" | od -An -tx1 | tr -d ' \n')" = 49492a00 ]
grep -q '^Exec=tavrin thumbnail -s %s %i %o$' "$prefix/share/thumbnailers/tavrin.thumbnailer"
# Today's formats: the desktop's own MIME names where it has them, ours for the others, in the
# thumbnailer, the viewer's entry and the context menus alike.
for listing in share/thumbnailers/tavrin.thumbnailer share/applications/TavrinViewer.desktop \
               share/kio/servicemenus/tavrin-commands.desktop share/nemo/actions/tavrin-aside.nemo_action; do
    for type in image/x-canon-cr3 image/x-panasonic-rw2 image/x-sony-arw image/x-sony-sr2 \
                image/x-nikon-nrw image/x-tavrin-rwl image/x-tavrin-srw image/x-tavrin-3fr \
                image/x-tavrin-iiq; do
        grep -q "^Mime[Tt]ypes\?=.*[=;]$type;" "$prefix/$listing" || { echo "$listing lacks $type"; exit 1; }
    done
done
for glob in rwl srw 3fr iiq; do
    grep -q "<glob pattern=\"\*\.$glob\"/>" "$prefix/share/mime/packages/tavrin-mime.xml" ||
        { echo "the MIME package lacks *.$glob"; exit 1; }
done
grep -q "InprocServer32" "$prefix/share/tavrin/HKEY_CLASSES_ROOT.reg"
grep -q "$prefix" "$prefix/share/tavrin/HKEY_CLASSES_ROOT.reg"
# The context menu and the applet start the installed viewer.
grep -A1 -F '[HKEY_CLASSES_ROOT\TavrinImage\App]' "$prefix/share/tavrin/HKEY_CLASSES_ROOT.reg" |
    grep -qF "@=\"$prefix/bin/TavrinViewer\""
grep -q '^Exec=TavrinViewer %f$' "$prefix/share/applications/TavrinViewer.desktop"

"$fixtures" "$prefix/files" >/dev/null
export TAVRIN_REGISTRY_DIR=/nonexistent/tavrin
export TAVRIN_SYSTEM_REGISTRY_DIR="$prefix/share/tavrin"
"$prefix/bin/tavrin" thumbnail -s 128 "$prefix/files/DSC_0001.NEF" "$prefix/thumb.png"
[ "$(head -c 8 "$prefix/thumb.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]

# Inside the sandbox GNOME runs thumbnailers in: only the system (here with the installation), the
# input under another name and a private output folder are there, with no network and no way to
# write anything else; the user's home and /tmp are not there at all.
sandbox_out="$prefix/sandbox-out"
mkdir -p "$sandbox_out"
bwrap --ro-bind /usr /usr --ro-bind-try /etc/ld.so.cache /etc/ld.so.cache \
      --symlink usr/lib /lib --symlink usr/lib64 /lib64 --symlink usr/bin /bin \
      --proc /proc --dev /dev --chdir / --unshare-all --die-with-parent \
      --ro-bind "$prefix/bin" "$prefix/bin" --ro-bind "$prefix/lib" "$prefix/lib" \
      --ro-bind "$prefix/share/tavrin" "$prefix/share/tavrin" \
      --ro-bind "$prefix/files/IMG_0002.CR2" /tmp/gnome-desktop-file-to-thumbnail.CR2 \
      --bind "$sandbox_out" /tmp/gnome-desktop-thumbnailer \
      --setenv HOME /home/nobody --unsetenv XDG_CONFIG_HOME --unsetenv TAVRIN_REGISTRY_DIR \
      --unsetenv TAVRIN_SYSTEM_REGISTRY_DIR \
      "$prefix/bin/tavrin" thumbnail -s 256 /tmp/gnome-desktop-file-to-thumbnail.CR2 \
      /tmp/gnome-desktop-thumbnailer/thumbnail.png
[ "$(ls -A "$sandbox_out")" = thumbnail.png ] || { echo "sandbox wrote: $(ls -A "$sandbox_out")"; exit 1; }
[ "$(head -c 8 "$sandbox_out/thumbnail.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]

# The info tip, the information page and the detail columns as a file manager shows them.
"$prefix/bin/tavrin" tip "$prefix/files/DSC_0001.NEF" | grep -q '^Typ: NEF Bild$'
"$prefix/bin/tavrin" info "$prefix/files/DSC_0001.NEF" | grep -q '^Typ: NEF Bild$'
"$prefix/bin/tavrin" histogram "$prefix/files/P0006.JPG" "$prefix/histogram.png"
[ "$(head -c 8 "$prefix/histogram.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]
"$prefix/bin/tavrin" columns "$prefix/files/DSC_0001.NEF" | head -1 | grep -q '^Name	Größe	Kameramodell	'
[ "$("$prefix/bin/tavrin" columns "$prefix/files/DSC_0001.NEF" | tail -1 | awk -F'\t' '{print NF}')" = 10 ]

# The context menu of a mixed selection, then putting aside and taking back.
menu=$("$prefix/bin/tavrin" menu "$prefix/files/IMG_0002.CR2" "$prefix/files/DSC_0007.NEF.trashed" | cut -f1,2)
[ "$menu" = "$(printf '2\tZurückholen\n1\tAussortieren\n3\tDiaschau\n4\t-')" ] || { echo "menu: $menu"; exit 1; }
"$prefix/bin/tavrin" invoke aside "$prefix/files/IMG_0002.CR2" "$prefix/files/DSC_0007.NEF.trashed"
[ -e "$prefix/files/IMG_0002.CR2.trashed" ] && [ -e "$prefix/files/DSC_0007.NEF.trashed" ]
"$prefix/bin/tavrin" invoke back "$prefix/files/IMG_0002.CR2.trashed" "$prefix/files/DSC_0007.NEF.trashed"
[ -e "$prefix/files/IMG_0002.CR2" ] && [ -e "$prefix/files/DSC_0007.NEF" ]

# A file without any picture: one line of error, a non-zero exit, no output file.
head -c 3000 /dev/zero > "$prefix/files/empty.nef"
if "$prefix/bin/tavrin" thumbnail -s 128 "$prefix/files/empty.nef" "$prefix/none.png" 2>"$prefix/err"; then
    echo "a thumbnail of nothing"; exit 1
fi
[ ! -e "$prefix/none.png" ] && [ "$(wc -l < "$prefix/err")" -eq 1 ]
# Nor for a file that is not there or not a file, and no tip or page either: the reason in one line.
for input in "$prefix/files/missing.nef" "$prefix/files"; do
    for command in "thumbnail -s 128 $input $prefix/none.png" "tip $input" "info $input" \
                   "imageinfo $input"; do
        if "$prefix/bin/tavrin" $command >/dev/null 2>"$prefix/err"; then
            echo "tavrin $command succeeded"; exit 1
        fi
        [ ! -e "$prefix/none.png" ] && [ "$(wc -l < "$prefix/err")" -eq 1 ] &&
            grep -q "^tavrin: cannot read $input: " "$prefix/err" || { cat "$prefix/err"; exit 1; }
    done
done
# GNOME's own thumbnail factory over every file with an embedded preview, the build configured
# for one prefix and installed with --prefix into another: under /usr, the only place GNOME's
# sandbox shows, in a private mount namespace that also hides the system's other thumbnailers,
# so that every picture comes from ours and the programs find their registration where they
# were installed.
# The sanitizers' leak check stops the world with ptrace, which the seccomp filter of GNOME's
# sandbox forbids: a sanitizer build aborts there, whatever it does. The other builds run it.
if grep -q '^TAVRIN_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt"; then
    echo "sanitizer build: GNOME's thumbnail factory skipped (its sandbox forbids the leak check)"
    echo "install ok"
    exit 0
fi
if ! /usr/bin/python3 -c 'import gi; gi.require_version("GnomeDesktop", "3.0")' 2>/dev/null; then
    echo "GNOME's thumbnail factory (python3-gi, gir1.2-gnomedesktop-3.0) missing: skipped"
    echo "install ok"
    exit 0
fi
configured=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
moved=/usr/local/tavrin-moved
[ "$configured" != "$moved" ]
previews=()
samples=${TAVRIN_SAMPLES:-${3:-}}
while IFS= read -r -d '' f; do
    if "$prefix/bin/tavrin" imageinfo "$f" 2>/dev/null | grep -q '^previewData: [1-9]'; then
        previews+=("$f")
    fi
done < <(find "$prefix/files" ${samples:+"$samples"} -type f ! -name '*.md' ! -name '*.trashed' \
         -print0 2>/dev/null | sort -z)
[ ${#previews[@]} -gt 0 ]
[ -d "${samples:-/nonexistent}" ] || echo "sample folder missing: GNOME's factory on the fixtures only"
bwrap --dev-bind / / --tmpfs /usr/local --tmpfs /usr/share/thumbnailers --die-with-parent \
      --setenv XDG_DATA_DIRS "$moved/share:/usr/share" --setenv PATH "$moved/bin:/usr/bin:/bin" \
      --setenv HOME "$prefix/home" --unsetenv TAVRIN_REGISTRY_DIR \
      --unsetenv TAVRIN_SYSTEM_REGISTRY_DIR --unsetenv XDG_CONFIG_HOME \
      bash -c 'cmake --install "$1" --prefix "$2" >/dev/null && shift 2 && mkdir -p "$HOME" &&
               /usr/bin/python3 "$@"' \
      gnome "$build" "$moved" "$(dirname "$0")/gnome_thumbnails.py" "${previews[@]}"
echo "install ok"
