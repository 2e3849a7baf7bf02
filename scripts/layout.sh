# Sourced by the demo and screenshot scripts: a fresh installation of the stand-in host with the
# plug-in and the sample mails and name list.
#   lay_out_installation DIR BUILD_DIR   (DIR is emptied first)
lay_out_installation() {
  local dir=$1 build=$2
  rm -rf "$dir"
  mkdir -p "$dir/PlugIns"
  cp "$build/B2.exe" "$dir/"
  cp "$build/Pinote.dll" "$dir/PlugIns/"
  cp -r data/sample/Mail "$dir/"
  cp data/sample/meibo.dat "$dir/"
}
