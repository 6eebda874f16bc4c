#!/usr/bin/env bash
# Makes the Debian package build/thermobadge_<version>_<arch>.deb with CPack and checks it with
# lintian (fails on errors, shows warnings). The programs are built for it in build-package:
# Release, with Debian's hardening flags from dpkg-buildflags, without tests and benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --packaging

# Every hardening Debian knows (bindnow too). CMake reads no CPPFLAGS: the preprocessor flags
# (_FORTIFY_SOURCE) go with the compiler's.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTHERMOBADGE_TESTS=OFF -DTHERMOBADGE_BENCH=OFF -DTHERMOBADGE_FUZZ=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build-package
rm -f build-package/thermobadge_*.deb
(cd build-package && cpack -G DEB >/dev/null)

mkdir -p build
debs=(build-package/thermobadge_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package.sh: cpack made no single package: ${debs[*]}" >&2; exit 1; }
deb=build/$(basename "${debs[0]}")
cp "${debs[0]}" "$deb"
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb --field "$deb"
# Read whole first: grep -q would stop reading early, and pipefail would count dpkg-deb's broken pipe.
contents=$(dpkg-deb --contents "$deb")
grep -q '/usr/lib/thermobadge/translations/thermobadge_en.qm$' <<<"$contents" || { echo "package.sh: no English translation in $deb" >&2; exit 1; }
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "lintian: no errors"
