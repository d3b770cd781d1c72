#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: the portable
# core natively under AddressSanitizer and UBSan, the fuzz targets for
# FUZZ_SECONDS each (default 30), and the Windows build under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
bash "$root/scripts/setup.sh" "$build"

configure() { # build-folder, cmake options...
    local folder=$1
    shift
    cmake -S "$root" -B "$build/$folder" -G Ninja "$@" >/dev/null
    cmake --build "$build/$folder"
}

echo "== native tests (AddressSanitizer, UBSan)"
configure native -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir "$build/native" --output-on-failure

echo "== fuzz targets"
configure fuzz -DBUILD_FUZZERS=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
for target in sheet reference jpeg text; do
    seeds=$root/tests/fuzz/corpus/$target
    [ "$target" = reference ] && seeds=$root/tests/fuzz/corpus/refdata
    corpus=$build/fuzz/corpus-$target
    mkdir -p "$corpus"
    options=()
    if [ "$target" = jpeg ]; then
        # libjpeg-turbo's own test images and the pictures the native tests
        # made seed the decoder as well; they stay in the build folder, out of
        # the repository.
        cp "$build"/deps/testimages/*.jpg "$build"/native/tests/jpeg/*.jpg "$corpus"/
        options=(-dict="$root/tests/fuzz/jpeg.dict")
    fi
    echo "-- ${target}_fuzz for ${FUZZ_SECONDS:-30} s"
    log=$build/fuzz/$target.log
    if ! (cd "$build/fuzz" && "./tests/fuzz/${target}_fuzz" -max_total_time="${FUZZ_SECONDS:-30}" \
        -print_final_stats=1 "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1); then
        tail -n 40 "$log" >&2
        echo "${target}_fuzz found a failing input (see $log)" >&2
        exit 1
    fi
    grep -E '^(Done|stat::peak_rss_mb)' "$log"
    # libFuzzer's last "cov:" counts the edges covered in the instrumented
    # code, which for the JPEG target includes the decoder's.
    echo "${target}_fuzz covered $(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d ' ' -f 2) edges"
done

echo "== Windows tests under Wine"
configure windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
(cd "$build/windows" && cpack | tail -n 1)
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build/windows" --output-on-failure
