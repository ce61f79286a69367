# The Debian packages the builds and tests need; sourced by the scripts.
BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev googletest mingw-w64 binutils-mingw-w64-i686)
WINE_PACKAGES=(wine wine64 xvfb)
# The bad-input table writes its random settings file with Python.
BADINPUT_PACKAGES=(python3)
# 32-bit Wine, which runs the shipped i686 launcher (needs the i386
# architecture first, which scripts/ensure_packages.sh adds; see
# scripts/wine_build.sh).
WINE32_PACKAGES=(wine32:i386)
# Where qemu runs them: Wine's 32-bit preloader, which makes a start quick.
WINE32_EMULATED_PACKAGES=(wine32-preloader:i386)
# The picture of the settings editor's window, taken by its end-to-end run.
EDITOR_PACKAGES=(imagemagick)
# The fuzz targets (scripts/fuzz.sh) and the native benchmarks (scripts/bench.sh).
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
BENCH_PACKAGES=(libbenchmark-dev valgrind)
