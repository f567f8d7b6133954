#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite: every test in the
# release build (GUI tests on a virtual display), the Python reader's tests, the
# install tree and the Debian package (tests/cli/package_check.sh), bounded fuzzing
# runs of the file reader and of the settings loading, the threaded engine tests
# under ThreadSanitizer, and last the engine tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

echo "== Tests (release build)"
# -noreset: every GUI test is its own X client, and a server that resets when its
# last client leaves refuses the next one for a moment.
(cd build && xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" ctest --output-on-failure -j2 --timeout 300)

echo "== Python reader (pytest), on files recorded by this build's korin16-cli"
KORIN16_CLI="$PWD/build/korin16-cli" PYTHONPATH=python /usr/bin/python3 -m pytest -q tests/python

echo "== The installable program: cmake --install, and the .deb of cpack -G DEB unpacked and run"
tests/cli/package_check.sh build

if command -v clang++ >/dev/null; then
  cmake -S tests/fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++
  cmake --build build-fuzz -j"$(nproc)"
  # fuzz TARGET SEEDER SECONDS MAX_LEN: one worker per core on a corpus the
  # seeder writes, shared by the workers; each writes its log to TARGET-N.log.
  fuzz() {
    local target=$1 seeder=$2 seconds=$3 max_len=$4 jobs status=0
    jobs=$(nproc)
    rm -rf "build-fuzz/$target-corpus" && mkdir -p "build-fuzz/$target-corpus"
    "build-fuzz/$seeder" "build-fuzz/$target-corpus"
    rm -f build-fuzz/fuzz-*.log "build-fuzz/$target"-*.log
    (cd build-fuzz && "./$target" -jobs="$jobs" -workers="$jobs" -max_total_time="$seconds" -max_len="$max_len" \
       -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 "$target-corpus") || status=$?
    for log in build-fuzz/fuzz-*.log; do
      mv "$log" "build-fuzz/$target-${log##*/fuzz-}"
      echo "-- build-fuzz/$target-${log##*/fuzz-}"; tail -n 12 "build-fuzz/$target-${log##*/fuzz-}"
    done
    [ "$status" -eq 0 ] || { echo "the fuzz run of $target found a fault"; exit "$status"; }
  }
  echo "== Recording file reader under libFuzzer (60 s)"
  fuzz file_reader_fuzz make_fuzz_seeds 60 65536
  echo "== Settings store and pulse lists under libFuzzer (45 s)"
  fuzz settings_fuzz make_settings_fuzz_seeds 45 8192
fi

echo "== Threaded engine tests under ThreadSanitizer"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DKORIN16_GUI=OFF -DKORIN16_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
cmake --build build-tsan -j"$(nproc)" --target korin16_engine_tests
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 \
   ./korin16_engine_tests --gtest_filter='Stim*:Pulse*:Step*:RunFixture*:SimDevice*:SimulatedDevice*:ReplayControl*')

echo "== Engine tests under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKORIN16_GUI=OFF -DKORIN16_BENCH=OFF -DKORIN16_SANITIZE=ON
cmake --build build-asan -j"$(nproc)" --target korin16_engine_tests korin16-cli
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j2 --timeout 600)
