#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# This is the only list of the project's dependencies. Safe to run again:
# it only calls apt-get when something is missing, and prints nothing then.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build ccache clang libclang-rt-dev pkg-config clang-format git
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # locale sources, so tests can prove that numbers ignore a decimal-comma locale
  locales
  # MIDI: RtMidi over ALSA and JACK, and a JACK server for the tests
  librtmidi-dev libasound2-dev libjack-jackd2-dev jackd2
  # windows, drawing, fonts, images (SDL_image decodes them; the tests write PNG files
  # with libpng), XML
  libsdl2-dev libsdl2-image-dev libcairo2-dev libpng-dev libfontconfig-dev libfreetype-dev
  libexpat1-dev libgl-dev libglu1-mesa-dev fonts-dejavu-core
  # Mesa's software OpenGL, which the OpenGL renderer's tests draw with
  libgl1-mesa-dri libglx-mesa0
  # a real X server for the window tests
  xvfb xauth
  # the open-file dialog (File > Open) and the message boxes run it; SDL's own message
  # box, where it is missing, draws with the X server's core fonts
  zenity xfonts-base
  # clicks and keys injected into windows under the test X server
  libxtst-dev
  # helpers for scripts
  procps python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
# jackd2 asks whether to enable real-time scheduling; the answer does not matter here.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $SUDO debconf-set-selections
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
