# Shared by run.sh and test.sh: makes sure the Debian packages the build needs are there.
# As root it installs what is missing (after apt-get update); otherwise it prints the one
# command to run and stops. Nothing else is downloaded.

varn_packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev git
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libsdl2-dev zlib1g-dev libminizip-dev libarchive-dev
  binutils-m68k-linux-gnu z80asm binutils-sh-elf
  pngcheck sox
  xvfb xauth xdotool imagemagick
)

varn_ensure_packages() {
  local missing=() p
  for p in "${varn_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q && apt-get install -y -q --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Run:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
  fi
}
