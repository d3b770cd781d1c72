#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine and
# builds libjpeg-turbo for MinGW-w64 and for the fuzzer, and minizip, nettle
# and pugixml for MinGW-w64. Safe to run again: each step is skipped when its
# result is already there.
#
#   scripts/setup.sh [BUILD_DIR]     (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
mkdir -p "$build"
build=$(cd "$build" && pwd)

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev googletest
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 fonts-wine xvfb x11-utils imagemagick fonts-ipafont-gothic locales
    nasm libjpeg62-turbo-dev libjpeg-turbo-progs dpkg-dev zip
    nlohmann-json3-dev chromium poppler-utils librsvg2-bin icoutils
    zlib1g-dev libminizip-dev nettle-dev libpugixml-dev libz-mingw-w64-dev
)

sudo_if_needed() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
    local p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
    done
}

install_packages() {
    local missing
    missing=$(missing_packages)
    [ -z "$missing" ] && return
    echo "setup: installing $missing" | tr '\n' ' '
    echo
    sudo_if_needed apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive sudo_if_needed apt-get install -y -qq --no-install-recommends $missing
}

# The C runtime under Wine takes its code page from LANG: ja_JP.UTF-8 gives 932.
generate_locale() {
    locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' && return
    sudo_if_needed sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | sudo_if_needed tee -a /etc/locale.gen >/dev/null
    sudo_if_needed locale-gen >/dev/null
}

# The MinGW toolchain has to use the posix thread model for std::thread and
# friends in GoogleTest.
select_posix_mingw() {
    local alt
    for alt in x86_64-w64-mingw32-g++ x86_64-w64-mingw32-gcc; do
        if [ -x "/usr/bin/$alt-posix" ]; then
            sudo_if_needed update-alternatives --set "$alt" "/usr/bin/$alt-posix" >/dev/null 2>&1 || true
        fi
    done
}

enable_sources() {
    local list=/etc/apt/sources.list.d/setup-deb-src.sources
    [ -f "$list" ] && return
    # Mirror the binary suites already configured, so the source matches them.
    local src
    src=$(grep -l '^Types: deb$' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n1 || true)
    if [ -n "$src" ]; then
        sed 's/^Types: deb$/Types: deb-src/' "$src" | sudo_if_needed tee "$list" >/dev/null
    else
        grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
            sudo_if_needed tee /etc/apt/sources.list.d/setup-deb-src.list >/dev/null
        sudo_if_needed touch "$list"
    fi
    sudo_if_needed apt-get update -qq
}

# Libraries' sources, from Debian's own packages: each unpacked once into the
# build folder for the builds below, and all gone again once they are done.
source_work=$build/deps/src

# Unpacks Debian's source package afresh; prints its folder.
unpack_source() { # package
    local folder=$source_work/$1 source
    enable_sources
    rm -rf "$folder"
    mkdir -p "$folder"
    (cd "$folder" && apt-get source -qq "$1" >/dev/null 2>&1)
    source=$(find "$folder" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -n1)
    [ -n "$source" ] || { echo "setup: $1 source not found" >&2; exit 1; }
    echo "$source"
}

libjpeg_source=
libjpeg_build=

unpack_libjpeg_source() {
    [ -n "$libjpeg_source" ] && return
    libjpeg_source=$(unpack_source libjpeg-turbo)
}

has_libjpeg() { # prefix
    [ -f "$1/lib/libjpeg.a" ] && [ -f "$1/include/jpeglib.h" ]
}

# Configures a static libjpeg build in a folder of its own; sets libjpeg_build.
configure_libjpeg() { # name, cmake options...
    unpack_libjpeg_source
    libjpeg_build=$source_work/build-libjpeg-$1
    shift
    cmake -S "$libjpeg_source" -B "$libjpeg_build" -G Ninja -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 "$@" >/dev/null
}

# The Windows program's static libjpeg, with the library's programs: the
# benchmarks compare against its djpeg.
build_mingw_libjpeg() {
    local prefix=$build/deps/libjpeg-mingw
    has_libjpeg "$prefix" && return
    configure_libjpeg mingw -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_POSITION_INDEPENDENT_CODE=0
    cmake --build "$libjpeg_build" --target install >/dev/null
}

# The JPEG fuzz target's libjpeg, with the fuzzer's coverage instrumentation
# and AddressSanitizer, so that the fuzzer sees and checks inside the
# decoder; without SIMD, whose assembly neither of them can see into. Only
# the library and its headers: the programs would double the build's time.
build_fuzz_libjpeg() {
    local prefix=$build/deps/libjpeg-fuzz
    has_libjpeg "$prefix" && return
    configure_libjpeg fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer" -DWITH_SIMD=0
    cmake --build "$libjpeg_build" --target jpeg-static >/dev/null
    install -D -m 644 -t "$prefix/include" "$libjpeg_build/jconfig.h" "$libjpeg_source"/j{error,morecfg,peglib}.h
    install -D -m 644 -t "$prefix/lib" "$libjpeg_build/libjpeg.a"
}

# The library's test images, for the decoder tests and the fuzzer's corpus.
keep_libjpeg_test_images() {
    [ -f "$build/deps/testimages/testorig.jpg" ] && return
    unpack_libjpeg_source
    mkdir -p "$build/deps/testimages"
    cp "$libjpeg_source"/testimages/* "$build/deps/testimages/"
}

has_library() { # prefix, library file, a header below include/
    [ -f "$1/lib/$2" ] && [ -f "$1/include/$3" ]
}

# Runs a build step with its output in a log, shown only when it fails.
quietly() { # log, command...
    local log=$1
    shift
    "$@" >"$log" 2>&1 || { tail -n 30 "$log" >&2; echo "setup: failed, see $log" >&2; exit 1; }
}

# The ZIP reader and writer of the Windows tests: zlib's minizip, compiled
# as Debian compiles it (its three files for writing and reading ZIPs), on
# the zlib that Debian itself ships built for MinGW-w64.
build_mingw_minizip() {
    local prefix=$build/deps/minizip-mingw source file
    has_library "$prefix" libminizip.a minizip/zip.h && return
    source=$(unpack_source minizip)
    mkdir -p "$source/build-mingw" "$prefix/lib" "$prefix/include/minizip"
    for file in ioapi zip unzip; do
        quietly "$source/build-mingw/$file.log" \
            x86_64-w64-mingw32-gcc-posix -O2 -c "$source/$file.c" -o "$source/build-mingw/$file.o"
    done
    x86_64-w64-mingw32-ar rcs "$prefix/lib/libminizip.a" "$source"/build-mingw/*.o
    install -m 644 -t "$prefix/include/minizip" "$source"/{ioapi,zip,unzip}.h
}

# The Windows program's SHA-256: nettle's hashes alone, without the public
# key part that would need GMP. Its make would regenerate its own configure
# headers after Debian's patches, so the library and the headers are taken
# by their own targets.
build_mingw_nettle() {
    local prefix=$build/deps/nettle-mingw source
    has_library "$prefix" libnettle.a nettle/sha2.h && return
    source=$(unpack_source nettle)
    (
        cd "$source"
        quietly configure.log ./configure --host=x86_64-w64-mingw32 --prefix="$prefix" --disable-shared \
            --disable-public-key --disable-assembler --disable-documentation --disable-openssl
        quietly make.log make -j2 libnettle.a
        quietly install.log make install-headers
    )
    install -D -m 644 -t "$prefix/lib" "$source/libnettle.a"
}

# The XML reader of the Windows tests.
build_mingw_pugixml() {
    local prefix=$build/deps/pugixml-mingw source
    has_library "$prefix" libpugixml.a pugixml.hpp && return
    source=$(unpack_source pugixml)
    quietly "$source/configure.log" cmake -S "$source" -B "$source/build-mingw" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF
    quietly "$source/build.log" cmake --build "$source/build-mingw" --target install
}

install_packages
generate_locale
select_posix_mingw
build_mingw_libjpeg
build_fuzz_libjpeg
keep_libjpeg_test_images
build_mingw_minizip
build_mingw_nettle
build_mingw_pugixml
rm -rf "$source_work"
echo "setup: ready ($build)"
