# FreeType for the browser build: Debian's own source package (the same release and patches as
# the Linux build's libfreetype, so glyphs come out the same), compiled with Emscripten into a
# static library under build-web-deps/freetype. Source packages come through a deb-src entry
# derived from this machine's own apt sources, in a private apt state: the system's is untouched.
#   web_freetype ROOT     builds it unless ROOT/build-web-deps/freetype/lib/libfreetype.a exists

web_freetype() {
  local root=$1
  local deps=$root/build-web-deps
  local prefix=$deps/freetype
  [ -f "$prefix/lib/libfreetype.a" ] && return 0
  local apt=$deps/apt
  rm -rf "$apt" "$deps/freetype-src" "$deps/freetype-build"
  mkdir -p "$apt/sources" "$apt/lists/partial" "$apt/cache/archives/partial" "$deps/freetype-src"
  local found=no file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    grep -q '^Types:.*\bdeb\b' "$file" || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$file" > "$apt/sources/$(basename "$file")"
    found=yes
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -nE 's/^deb (.*)/deb-src \1/p' /etc/apt/sources.list > "$apt/sources/plain.list"
    [ -s "$apt/sources/plain.list" ] && found=yes
  fi
  [ "$found" == yes ] || { echo "web: no Debian apt sources found to derive deb-src from" >&2; return 1; }
  local opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/sources"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o Debug::NoLocking=1
              -o APT::Sandbox::User=root)
  apt-get "${opts[@]}" update -qq
  (cd "$deps/freetype-src" && apt-get "${opts[@]}" source -qq freetype >/dev/null 2>&1) ||
    { echo "web: apt-get source freetype failed" >&2; return 1; }
  local src
  src=$(find "$deps/freetype-src" -mindepth 1 -maxdepth 1 -type d -name 'freetype-*' | head -1)
  [ -n "$src" ] || { echo "web: the FreeType source did not unpack" >&2; return 1; }
  # Only what a TrueType face needs from outside: no zlib, bzip2, PNG, HarfBuzz or Brotli.
  NODE_PATH=/usr/share/nodejs emcmake cmake -S "$src" -B "$deps/freetype-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON -DCMAKE_C_FLAGS=-O2 >/dev/null
  NODE_PATH=/usr/share/nodejs cmake --build "$deps/freetype-build" -j "${JOBS:-$(nproc)}" >/dev/null
  cmake --install "$deps/freetype-build" >/dev/null
  rm -rf "$deps/freetype-build" "$apt"
  echo "web: FreeType $(basename "$src") built for the browser in $prefix"
}
