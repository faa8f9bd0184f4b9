# Sourced by the demonstration scripts. demo_options IMAGE [OPTION...] sets the array
# `options` to the updater options given, with the sample image unless they name an
# image of their own.
demo_options() {
  local image=$1 option has_image=
  shift
  options=("$@")
  for option in "${options[@]}"; do
    case "${option^^}" in -ABSOLUTE_FIRMWARE_FILE_PATH=*|-FIRMWARE_IMAGE_NAME=*) has_image=1 ;; esac
  done
  [ -z "$has_image" ] && options+=("-ABSOLUTE_FIRMWARE_FILE_PATH=$image")
}
