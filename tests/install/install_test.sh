#!/usr/bin/env bash
# What a desktop and a package manager see of an installed build.
#
#   install_test.sh files   BUILD_DIR APP_ID SLP_BINARY   install under two prefixes, check the
#                                                         file list, the entry and the metainfo
#   install_test.sh window  BUILD_DIR APP_ID SLP_BINARY   run the installed program under Xvfb
#                                                         and read its window's class and icon
#   install_test.sh package BUILD_DIR APP_ID SLP_BINARY   build the Debian package, check its
#                                                         fields and contents
#
# Exit code 77 means a tool is missing (the test is reported as skipped).
set -euo pipefail

mode=$1 build=$2 id=$3 built_slp=$4
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

status=0
fail() {
  echo "FAIL: $*" >&2
  status=1
}
need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}

# Everything an install holds, relative to its prefix: nothing of the tests or the demo service.
expected_files() {
  cat <<EOF | sort
bin/slp
share/applications/$id.desktop
share/icons/hicolor/16x16/apps/$id.png
share/icons/hicolor/32x32/apps/$id.png
share/icons/hicolor/48x48/apps/$id.png
share/icons/hicolor/64x64/apps/$id.png
share/icons/hicolor/128x128/apps/$id.png
share/icons/hicolor/256x256/apps/$id.png
share/icons/hicolor/scalable/apps/$id.svg
share/metainfo/$id.metainfo.xml
EOF
}

# install ROOT PREFIX: a staged install, as a package build does it.
install_into() {
  DESTDIR=$1 cmake --install "$build" --prefix "$2" >"$work/install.log" ||
    { cat "$work/install.log" >&2; exit 1; }
}

desktop_key() { sed -n "s/^$1=//p" "$2"; }

# The installed tree under ROOT/PREFIX is complete, unmodified and consistent.
check_tree() {
  local root=$1 prefix=$2
  local dir=$root$prefix
  local rel=${prefix#/}
  echo "-- prefix $prefix"

  diff -u <(expected_files | sed "s|^|$rel/|") \
    <(cd "$root" && find . -not -type d | sed 's|^\./||' | sort) ||
    fail "file list under $prefix"

  # The executable carries appended data: an install must not rewrite a byte.
  [ -x "$dir/bin/slp" ] || fail "$prefix/bin/slp is not executable"
  cmp -s "$built_slp" "$dir/bin/slp" || fail "$prefix/bin/slp differs from the built file"

  for size in 16 32 48 64 128 256; do
    file -b "$dir/share/icons/hicolor/${size}x$size/apps/$id.png" |
      grep -q "^PNG image data, $size x $size," || fail "icon of size $size is not $size pixels"
  done

  local desktop=$dir/share/applications/$id.desktop
  local out
  out=$(desktop-file-validate "$desktop" 2>&1) || true
  [ -z "$out" ] || fail "desktop-file-validate: $out"
  # The menu entry starts the installed program and shows the installed icon.
  [ "$(desktop_key Exec "$desktop")" = slp ] || fail "Exec is not the installed slp"
  [ "$(desktop_key Icon "$desktop")" = "$id" ] || fail "Icon is not the installed icon"

  appstreamcli validate --no-net "$dir/share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli validate"
  # Across files: the metainfo's launchable names the installed desktop entry. A tree without
  # metainfo passes, so make sure it was seen.
  out=$(appstreamcli validate-tree --no-net "$dir") || fail "appstreamcli validate-tree: $out"
  grep -q "$id.metainfo.xml" <<<"$out" || fail "validate-tree found no metainfo: $out"
}

case $mode in
  files)
    need cmake desktop-file-validate appstreamcli file
    # System-wide (a package) and per-user installs give the same tree.
    for prefix in /usr /home/someone/.local; do
      rm -rf "$work/root"
      install_into "$work/root" "$prefix"
      check_tree "$work/root" "$prefix"
    done
    ;;

  window)
    need cmake Xvfb xwininfo xprop
    install_into "$work/root" /usr
    wm_class=$(desktop_key StartupWMClass "$work/root/usr/share/applications/$id.desktop")

    # Xvfb picks a free display and writes its number to the descriptor.
    Xvfb -displayfd 3 -screen 0 1024x700x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$(cat "$work/display")

    # Its own settings and temporary folders; the engine without its sandbox only as root. In
    # a sanitizer build the engine's own leaks and mismatched frees are not ours.
    mkdir -p "$work/config" "$work/tmp"
    sandbox=()
    [ "$(id -u)" -ne 0 ] || sandbox=(QTWEBENGINE_DISABLE_SANDBOX=1)
    env -u APPDATA XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" QT_QPA_PLATFORM=xcb \
      QT_QUICK_BACKEND=software ASAN_OPTIONS=new_delete_type_mismatch=0:detect_leaks=0 \
      "${sandbox[@]}" "$work/root/usr/bin/slp" >"$work/slp.log" 2>&1 &
    slp=$!
    pids+=("$slp")

    # The main window is the one whose title starts with the product's short name.
    window=""
    for _ in $(seq 600); do
      window=$(xwininfo -root -tree | awk '/ "Sylp[^"]* v[0-9]/ {print $1; exit}')
      [ -n "$window" ] && break
      kill -0 "$slp" 2>/dev/null || break
      sleep 0.1
    done
    if [ -z "$window" ]; then
      cat "$work/slp.log" >&2
      echo "FAIL: no main window appeared" >&2
      exit 1
    fi

    xprop -id "$window" WM_CLASS | tee "$work/class" || true
    grep -qx "WM_CLASS(STRING) = \"slp\", \"$wm_class\"" "$work/class" ||
      fail "the window's class is not the desktop entry's StartupWMClass ($wm_class)"
    # The title bar and the task switcher take the window icon from here.
    { xprop -id "$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' || true; } |
      tee "$work/icons"
    for size in 16 32 48; do
      grep -qx "Icon ($size x $size)" "$work/icons" || fail "no $size-pixel window icon"
    done

    kill -TERM "$slp"
    wait "$slp" || fail "slp ended with code $? after SIGTERM"
    pids=("${pids[0]}")
    ;;

  package)
    need cpack dpkg-deb dpkg-shlibdeps file
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >"$work/cpack.log" ||
      { cat "$work/cpack.log" >&2; exit 1; }
    debs=("$work"/pkg/*.deb)
    [ ${#debs[@]} -eq 1 ] || { echo "FAIL: expected one package, got: ${debs[*]}" >&2; exit 1; }
    deb=${debs[0]}
    dpkg-deb -I "$deb"

    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = sylpwatch ] || fail "package name"
    [ -n "$(field Maintainer)" ] || fail "no maintainer"
    [ -n "$(field Description)" ] || fail "no description"
    # Computed from the libraries the executable links, not typed by hand.
    depends=$(field Depends)
    names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
    # The engine's helper process comes through the engine's own package.
    for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6webenginecore6 \
      libqt6webenginecore6-bin libqt6webenginewidgets6 libpcre2-8-0; do
      grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib: $depends"
    done

    # The package holds exactly a /usr install, the executable untouched.
    diff -u <(expected_files | sed 's|^|usr/|') \
      <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort) ||
      fail "package contents"
    dpkg-deb -x "$deb" "$work/unpacked"
    cmp -s "$built_slp" "$work/unpacked/usr/bin/slp" ||
      fail "the packaged slp differs from the built file"
    ;;

  *)
    echo "usage: $0 files|window|package BUILD_DIR APP_ID SLP_BINARY" >&2
    exit 2
    ;;
esac

exit $status
