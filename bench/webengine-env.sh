# Sourced by the benchmarks that start the web engine: what it needs to run headless here, and a
# work folder removed on exit ($work).
[[ "$(id -u)" -ne 0 ]] || export QTWEBENGINE_DISABLE_SANDBOX=1 # its sandbox cannot run as root
export QT_LOGGING_RULES="${QT_LOGGING_RULES:-qt.webenginecontext.info=false}"
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
