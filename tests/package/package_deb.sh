#!/usr/bin/env bash
# Builds the Debian package from this build, unpacks it into a temporary
# folder and checks what it installs: both programs run from there, the
# desktop entry, AppStream metadata, file types, manual pages and completion
# pass their validators, and lintian finds no error.
#
# Usage: package_deb.sh BUILD VERSION RECORD
set -uo pipefail

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
[ $# -eq 3 ] || fail "usage: $0 BUILD VERSION RECORD"
build="$1" version="$2" record="$3"
for tool in cpack dpkg-deb desktop-file-validate appstreamcli lintian man update-mime-database gio; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh test installs it)"
done

(cd "$build" && cpack -G DEB -B "$tmp/out") >"$tmp/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$tmp/cpack.log")"
deb="$tmp/out/sismavue_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack wrote: $(ls "$tmp/out")"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libmseed2* && $depends == *libc6* ]] ||
  fail "the dependencies were not found from the libraries: '$depends'"

root="$tmp/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
share="$root/usr/share"
id=org.sismavue.Sismavue
for file in usr/bin/sismavue usr/bin/sismavue-report \
  "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
  usr/share/mime/packages/sismavue.xml usr/share/icons/hicolor/scalable/apps/sismavue.svg \
  usr/share/icons/hicolor/256x256/apps/sismavue.png usr/share/man/man1/sismavue.1.gz \
  usr/share/man/man1/sismavue-report.1.gz usr/share/bash-completion/completions/sismavue-report \
  usr/share/doc/sismavue/copyright usr/share/doc/sismavue/changelog.gz usr/libexec/sismavue/sismavue-plot.so; do
  [ -f "$root/$file" ] || fail "the package does not install /$file"
done

# The programs as installed; the window answers --version without a display.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/sismavue" --version)" = "sismavue $version" ] ||
  fail "sismavue --version printed '$("$root/usr/bin/sismavue" --version 2>&1)'"
[ "$("$root/usr/bin/sismavue-report" --version)" = "sismavue-report $version" ] ||
  fail "sismavue-report --version printed '$("$root/usr/bin/sismavue-report" --version 2>&1)'"
"$root/usr/bin/sismavue-report" "$record" >"$tmp/installed.tsv" || fail "the installed sismavue-report failed on $record"
"$build/src/sismavue-report" "$record" >"$tmp/built.tsv"
cmp -s "$tmp/installed.tsv" "$tmp/built.tsv" && [ "$(wc -l <"$tmp/installed.tsv")" -eq 2 ] ||
  fail "the installed sismavue-report printed: $(cat "$tmp/installed.tsv")"
# --plot finds its module where the package puts it.
env -u DISPLAY "$root/usr/bin/sismavue-report" --plot "$tmp/pictures" "$record" >/dev/null 2>"$tmp/plot.log" &&
  [ -s "$tmp/pictures/$(basename "$record").png" ] ||
  fail "the installed sismavue-report --plot made no picture: $(cat "$tmp/plot.log")"

# The release named in the metadata, the changelog and the manual pages is
# this version.
release=$(grep -o '<release version="[^"]*"' "$share/metainfo/$id.metainfo.xml" | head -n 1)
[ "$release" = "<release version=\"$version\"" ] || fail "the newest AppStream release is $release, not $version"
changed=$(zcat "$share/doc/sismavue/changelog.gz" | head -n 1)
[[ $changed == "sismavue ($version) "* ]] || fail "the changelog starts with '$changed', not version $version"
for page in sismavue sismavue-report; do
  zcat "$share/man/man1/$page.1.gz" | grep -q "^\.TH .* \"Sismavue $version\"" ||
    fail "the title line of $page.1 does not name Sismavue $version"
done

desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate failed"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >"$tmp/as.log" 2>&1 ||
  fail "appstreamcli validate failed: $(cat "$tmp/as.log")"
lintian --tag-display-limit 0 --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 ||
  fail "lintian found errors: $(cat "$tmp/lintian.log")"
# The picture module is private: no library in the dynamic linker's folders,
# and so no ldconfig call in the maintainer scripts.
! grep -q 'maintscript-calls-ldconfig' "$tmp/lintian.log" || fail "lintian: $(grep ldconfig "$tmp/lintian.log")"
grep '^W:' "$tmp/lintian.log" >&2 # other warnings are allowed but shown

for page in sismavue sismavue-report; do
  MANWIDTH=80 man --warnings -E UTF-8 -l "$share/man/man1/$page.1.gz" >"$tmp/$page.txt" 2>"$tmp/$page.err" ||
    fail "man could not render $page.1"
  [ ! -s "$tmp/$page.err" ] || fail "man warns about $page.1: $(cat "$tmp/$page.err")"
  grep -q "^NAME" "$tmp/$page.txt" || fail "$page.1 renders without a NAME section"
done

# File types, recognised by a fresh MIME database made from the installed
# definitions alone: PSN Type 4 by its magic although named *.psn, the
# binary formats by their magic without a known extension.
mime="$tmp/mime/share/mime"
mkdir -p "$mime/packages" "$tmp/files"
cp "$share/mime/packages/sismavue.xml" "$mime/packages/"
XDG_DATA_DIRS="$tmp/mime/share" update-mime-database "$mime" >"$tmp/mime.log" 2>&1 && [ ! -s "$tmp/mime.log" ] ||
  fail "update-mime-database: $(cat "$tmp/mime.log")"
cp "$record" "$tmp/files/record.psn"
{ printf 'PSNTYPE4'; head -c 512 /dev/zero; } >"$tmp/files/binary.psn"
# header version 6 at byte 304 in both byte orders; miniSEED record starts
{ head -c 304 /dev/zero; printf '\006\0\0\0'; head -c 328 /dev/zero; } >"$tmp/files/LITTLE.SAC"
{ head -c 304 /dev/zero; printf '\0\0\0\006'; head -c 328 /dev/zero; } >"$tmp/files/big-endian"
{ printf '000001D '; head -c 504 /dev/zero; } >"$tmp/files/day.mseed"
{ printf '  12\0\0M\0'; head -c 504 /dev/zero; } >"$tmp/files/unnamed-records"
{ printf '00000XD '; head -c 504 /dev/zero; } >"$tmp/files/not-records"
while read -r name want; do
  got=$(XDG_DATA_HOME="$tmp/none" XDG_DATA_DIRS="$tmp/mime/share" gio info -a standard::content-type \
    "$tmp/files/$name" 2>/dev/null | sed -n 's/.*standard::content-type: //p')
  [ "$got" = "$want" ] || fail "$name is taken for '$got', not $want"
done <<'EOF'
record.psn text/x-psn
binary.psn application/x-psn-type4
LITTLE.SAC application/x-sac
big-endian application/x-sac
day.mseed application/vnd.fdsn.mseed
unnamed-records application/vnd.fdsn.mseed
not-records application/octet-stream
EOF

# Completion in a scripted bash session, with the installed program on the
# PATH: options from its --help, each once, a value, a file for FILE and a
# folder for --plot DIR.
mkdir -p "$tmp/cwd/pictures" && cp "$record" "$tmp/cwd/example.psn"
completions=$(cd "$tmp/cwd" && PATH="$root/usr/bin:$PATH" bash --norc --noprofile -c '
  . /usr/share/bash-completion/bash_completion
  . "$1"
  complete_line() {
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _sismavue_report "$1" "${!#}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "${COMPREPLY[*]}"
  }
  complete_line sismavue-report --seg
  complete_line sismavue-report --sen
  complete_line sismavue-report --format c
  complete_line sismavue-report --jobs 2 exa
  complete_line sismavue-report --plot ""' _ "$share/bash-completion/completions/sismavue-report" 2>&1)
[ "$completions" = $'--segment\n--sensitivities --sensitivity\ncsv\nexample.psn\npictures' ] ||
  fail "completing '--seg', '--sen', '--format c', 'exa' and '--plot ' gave: $completions"
echo "PASS: $(basename "$deb") installs both programs, valid metadata, file types, manual pages and completion"
