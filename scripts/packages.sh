# Sourced by the build and test scripts: installs the Debian packages that are
# missing (as root, with apt-get), so that a bare machine can build and test.

# libFuzzer for the fuzz targets: clang only recommends the runtime that holds
# it, and recommendations are not installed.
vitrane_fuzz_packages=(clang libclang-rt-14-dev)

# Everything needed to cross-build Vitrane.scr and to test it under Wine.
vitrane_packages=(
    cmake ninja-build g++ libgtest-dev
    "${vitrane_fuzz_packages[@]}"
    mingw-w64 g++-mingw-w64-x86-64-posix
    nsis
    # wixl builds the MSI; msiinfo and msibuild, from msitools, fix its
    # summary for reproducible bytes.
    wixl msitools
    wine wine64 xvfb xserver-xephyr xauth x11-utils xdotool imagemagick
    # wm_state.c, built for the end-to-end tests' displays.
    gcc libx11-dev
    # xmllint, which checks the Group Policy templates.
    libxml2-utils
    # What Wine merely recommends, yet needs for OpenGL and a proper X screen.
    libgl1 libgl1-mesa-dri libxrandr2 libxrender1 libxi6 libxcursor1 libxfixes3
    libxinerama1 libxcomposite1 libxxf86vm1
    # A slow folder for the slideshow's end-to-end test: a FUSE passthrough.
    python3 python3-fusepy fuse3
    # Reads the clock off the screen in its end-to-end test (English data
    # comes with it).
    tesseract-ocr
)

install_missing_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq &&
        $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
