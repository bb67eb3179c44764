# Shared by the scripts: installs what the project needs on Debian 12, makes
# the project's own Wine prefix, and runs commands inside a virtual display.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="$root/build/wineprefix"
wine="$root/scripts/wine-run"

# Debian packages: the cross compilers, Wine, a virtual display with Mesa's
# software OpenGL, fonts that stand in for Windows faces, GoogleTest and stb
# sources, the build tools; sox with its MP3 writer makes the host's
# compressed test files.
packages=(
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    wine wine64 xvfb xauth libgl1-mesa-dri fonts-liberation
    googletest libstb-dev cmake ninja-build
    sox libsox-fmt-mp3
)

# For the native build of the audio code: clang with its sanitizer and
# libFuzzer runtimes, and LLVM's symbolizer for readable reports.
native_packages=(clang libclang-rt-14-dev llvm)

ensure_packages() {
    local missing=()
    for p in "${packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# A prefix that never waits: no Mono or Gecko installer, unmanaged X11 windows
# (without a window manager Wine otherwise waits on every hidden window), and
# crashes that end the process instead of opening a dialog. Wine has no
# "Courier New" face: Liberation Mono, drawn to the same metrics, stands in.
ensure_wine_prefix() {
    [ -f "$WINEPREFIX/.gyroquad-ready-2" ] && return 0
    echo "== creating the Wine prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ /d 'Liberation Mono' /f >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    touch "$WINEPREFIX/.gyroquad-ready-2"
}

# Configures and builds one architecture into build/<arch>.
build_arch() {
    local arch="$1"
    cmake -S "$root" -B "$root/build/$arch" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "${@:2}" >/dev/null
    cmake --build "$root/build/$arch"
}

# Configures and builds the audio code natively with clang into build/native:
# sanitized unit tests, the fuzzers and the decoding benchmark.
build_native() {
    cmake -S "$root/tests/native" -B "$root/build/native" -G Ninja \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "$@" >/dev/null
    cmake --build "$root/build/native"
}

# Runs a command with DISPLAY set: the caller's display if there is one,
# otherwise a private Xvfb at depth 24.
with_display() {
    if [ -n "${DISPLAY:-}" ] && [ -z "${GYROQUAD_XVFB:-}" ]; then
        "$@"
    else
        xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
    fi
}

# Inside a display: the prefix, then a resident Wine server with its services
# started outside ctest (their inherited output would otherwise hold a test
# open), then ctest.
run_tests_in_display() {
    ensure_wine_prefix
    /usr/lib/wine/wineserver -p
    "$wine" cmd /c exit >/dev/null 2>&1 </dev/null || true
    local status=0
    (cd "$root/build/x86_64" && ctest --output-on-failure --timeout 300 "$@") || status=$?
    /usr/lib/wine/wineserver -k || true
    return $status
}
