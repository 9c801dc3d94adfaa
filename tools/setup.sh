#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine (as root), and fetches
# Lua 5.1.5's sources once per user into ~/.cache/tro_ui_zin/lua5.1 (XDG_CACHE_HOME is honoured),
# linked from the clone's .cache/lua5.1 (never committed). Safe to run again: finished steps are
# skipped.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cache="$top/.cache"
lua_dir="$cache/lua5.1"
user_cache=${XDG_CACHE_HOME:-$HOME/.cache}/tro_ui_zin
user_lua="$user_cache/lua5.1"
mkdir -p "$cache" "$user_cache"
# A clone made after another one on this machine takes the sources the user already has.
if [ ! -e "$lua_dir" ] && [ -f "$user_lua/src/lua.h" ]; then ln -s "$user_lua" "$lua_dir"; fi

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev wine wine32:i386 xvfb
          x11-utils xdotool googletest imagemagick dpkg-dev patch clang)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

has_deb_src() {
  grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null
}

# Adds deb-src twins of the configured deb entries (both the one-line and the deb822 formats).
add_deb_src() {
  local f out=/etc/apt/sources.list.d/tro-ui-zin-src
  if [ -f /etc/apt/sources.list ] && grep -qE '^deb ' /etc/apt/sources.list; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | as_root tee "$out.list" >/dev/null
  fi
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    case "$f" in *tro-ui-zin-src*) continue ;; esac
    grep -qE '^Types:.*\bdeb\b' "$f" || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$f" | as_root tee -a "$out.sources" >/dev/null
    echo | as_root tee -a "$out.sources" >/dev/null
  done
}

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi
if ! has_deb_src; then
  add_deb_src
  need_update=1
fi
[ ${#missing[@]} -gt 0 ] && need_update=1
[ -f "$lua_dir/src/lua.h" ] || need_update=1

if [ "$need_update" = 1 ]; then
  as_root apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -f "$lua_dir/src/lua.h" ]; then
  echo "setup: fetching Lua 5.1 sources into $user_lua"
  rm -rf "$user_cache/lua-src"
  mkdir -p "$user_cache/lua-src"
  # As root, apt would fetch as its own user, who may not write here, and warn about it.
  sandbox=()
  [ "$(id -u)" = 0 ] && sandbox=(-o APT::Sandbox::User=root)
  (cd "$user_cache/lua-src" && apt-get source -qq "${sandbox[@]}" lua5.1 >/dev/null)
  src=$(find "$user_cache/lua-src" -maxdepth 1 -mindepth 1 -type d -name 'lua5.1*' | head -n 1)
  [ -n "$src" ] && [ -f "$src/src/lua.h" ] || { echo "setup: Lua sources not found" >&2; exit 1; }
  rm -rf "$user_lua"
  mv "$src" "$user_lua"
  rm -rf "$user_cache/lua-src"
  rm -rf "$lua_dir"
  ln -s "$user_lua" "$lua_dir"
fi
echo "setup: ready"
