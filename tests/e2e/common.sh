# Sourced by the end-to-end tests; $app_dir is the built program folder.

# A fresh program folder in $1: the empty notes database, the pages and the background
# picture, with the window at the top-left corner at its minimum size so that clicks land.
layout_program_folder() {
  mkdir -p "$1/Data" "$1/source/DeskTopBG"
  cp "$app_dir/Data/UserData.mdb" "$1/Data/"
  cp -r "$app_dir/web" "$1/" 2>/dev/null || true
  cp "$app_dir"/source/DeskTopBG/A1.bmp "$1/source/DeskTopBG/" 2>/dev/null || true
  printf '1\r\n906\r\n540\r\n0\r\n0\r\n1\r\n' > "$1/Data/FormSize.ini"
  printf '0\r\n' > "$1/Data/configSetBg.ini"
}
