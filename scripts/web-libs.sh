# Sourced by scripts/web: builds zlib, libpng 1.6 and giflib 5 for WebAssembly
# from Debian's own source packages, once, into build/web-libs/prefix (the
# emscripten "ports" of them download at build time, which this machine
# cannot). Sets zf_web_prefix. apt-get works on a private state directory
# under build/web-libs, so the machine's own apt configuration stays as it is;
# its deb-src entries are derived from the machine's deb entries.
zf_web_libs="$root/build/web-libs"
zf_web_prefix="$zf_web_libs/prefix"
zf_web_libs_stamp="$zf_web_prefix/.built-3"

# apt-get or apt-cache ($1) on the private state directory.
zf_apt_private() {
  local tool="$1"
  shift
  "$tool" -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$zf_web_libs/apt/parts" \
    -o Dir::State::Lists="$zf_web_libs/apt/lists" -o Dir::Cache="$zf_web_libs/apt/cache" \
    -o APT::Sandbox::User=root "$@"
}

# The machine's deb sources as deb-src entries, in both of apt's formats.
zf_apt_sources_derive() {
  local parts="$zf_web_libs/apt/parts"
  rm -rf "$parts"
  mkdir -p "$parts" "$zf_web_libs/apt/lists/partial" "$zf_web_libs/apt/cache/archives/partial"
  local f n=0
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    n=$((n + 1))
    sed -e 's/^Types:.*\bdeb\b.*$/Types: deb-src/' "$f" > "$parts/src$n.sources"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    n=$((n + 1))
    sed -n -e 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" > "$parts/src$n.list"
  done
}

# Fetches and unpacks source package $1 into the current directory: the newest
# revision the lists name, or, when its files are missing from the pool (a
# security revision may be), the next older one.
zf_apt_source_fetch() {
  local package="$1" version
  for version in $(zf_apt_private apt-cache -q showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -u -r -V); do
    if zf_apt_private apt-get -qq source "$package=$version" >/dev/null 2>&1; then
      return 0
    fi
    echo "web: $package $version has no source in the archive; trying an older revision"
  done
  echo "web: cannot fetch the source of $package" >&2
  return 1
}

# Compiles the named C files of the current directory, against the headers
# already in the prefix, into the prefix's lib$1.a.
zf_web_archive() {
  local lib="$1" objects=() c o
  shift
  mkdir -p obj
  for c in "$@"; do
    o="obj/$(basename "${c%.c}").o"
    emcc -O2 -c "$c" -o "$o" -I. -I"$zf_web_prefix/include" -DHAVE_UNISTD_H
    objects+=("$o")
  done
  emar rcs "$zf_web_prefix/lib/lib$lib.a" "${objects[@]}"
}

zf_web_libs_build() {
  if [ -f "$zf_web_libs_stamp" ]; then
    return 0
  fi
  echo "web: building zlib, libpng and giflib for WebAssembly (once, into build/web-libs)"
  rm -rf "$zf_web_libs/src" "$zf_web_prefix"
  mkdir -p "$zf_web_libs/src" "$zf_web_prefix/lib" "$zf_web_prefix/include"
  zf_apt_sources_derive
  zf_apt_private apt-get -qq update
  (
    set -e
    cd "$zf_web_libs/src"
    zf_apt_source_fetch zlib
    zf_apt_source_fetch libpng1.6
    zf_apt_source_fetch giflib

    # zlib: its CMake build wants a file Debian's tarball leaves out, and
    # the library is a handful of C files anyway.
    cd "$(find . -maxdepth 1 -type d -name 'zlib-*' | head -n 1)"
    zf_web_archive z adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c gzwrite.c \
      infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c
    cp zlib.h zconf.h "$zf_web_prefix/include/"
    cd ..

    cd "$(find . -maxdepth 1 -type d -name 'libpng1.6-*' | head -n 1)"
    cp scripts/pnglibconf.h.prebuilt pnglibconf.h
    zf_web_archive png png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c pngrtran.c \
      pngrutil.c pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c
    cp png.h pngconf.h pnglibconf.h "$zf_web_prefix/include/"
    cd ..

    cd "$(find . -maxdepth 1 -type d -name 'giflib-*' | head -n 1)"
    zf_web_archive gif dgif_lib.c egif_lib.c gifalloc.c gif_err.c gif_font.c gif_hash.c \
      openbsd-reallocarray.c quantize.c
    cp gif_lib.h "$zf_web_prefix/include/"
  )
  touch "$zf_web_libs_stamp"
}
