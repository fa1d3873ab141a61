# Sourced by the scripts: what the real browser engine needs on these machines.
# Chromium's sandbox cannot run as root; the program itself never turns it off.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QT_QUICK_BACKEND=software
# The engine must not reach out to the network on its own.
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-background-networking --disable-component-update}"
