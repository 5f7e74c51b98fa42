#!/usr/bin/env bash
# Builds the Debian package as a user would get it and checks what it installs:
# a Release build in build-pkg/, `cpack -G DEB`, the .deb unpacked into a
# temporary root with `dpkg -x`, then the installed vantorel-cli is run and
# the desktop file and metainfo are put through their validators.
# Needs desktop-file-utils, appstream, dpkg-dev and file (scripts/deps.sh ci).
set -euo pipefail
cd "$(dirname "$0")/.."

app_id=io.github.vantorel.Vantorel
dir=build-pkg

for tool in desktop-file-validate appstreamcli dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || { echo "package-check: $tool is missing (scripts/deps.sh ci)" >&2; exit 1; }
done

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOREL_BUILD_TESTS=OFF \
      -DVANTOREL_SANITIZE=OFF -DVANTOREL_CORE_ONLY=OFF -DVANTOREL_WERROR=OFF
cmake --build "$dir"
rm -f "$dir"/vantorel_*.deb
(cd "$dir" && cpack -G DEB)
debs=("$dir"/vantorel_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "package-check: expected one .deb in $dir" >&2; exit 1; }
deb=${debs[0]}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

status=0
fail() { echo "package-check: $*" >&2; status=1; }

for path in usr/bin/vantorel usr/bin/vantorel-cli \
            usr/share/applications/$app_id.desktop \
            usr/share/metainfo/$app_id.metainfo.xml \
            usr/share/mime/packages/$app_id.xml \
            usr/share/icons/hicolor/{32x32,48x48,128x128}/apps/$app_id.png \
            usr/share/icons/hicolor/scalable/apps/$app_id.svg; do
    [[ -f $root/$path ]] || fail "$path is not in the package"
done

# The installed program, against the system's Qt, as the package's users run it.
"$root/usr/bin/vantorel-cli" --help >/dev/null || fail "the installed vantorel-cli --help failed"
"$root/usr/bin/vantorel-cli" --version

desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail "desktop file"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" || fail "metainfo"
# The tree check also ties the metainfo to the installed desktop file and icons.
appstreamcli validate-tree --no-net "$root" || fail "installed tree"

depends=$(dpkg-deb --field "$deb" Depends)
echo "$(basename "$deb") Depends: $depends"
[[ $depends == *libqt6widgets6* ]] || fail "Depends was not computed from the binaries"

[[ $status -eq 0 ]] && echo "package-check: $(basename "$deb") is good"
exit "$status"
