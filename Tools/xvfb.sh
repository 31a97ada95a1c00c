# A private X server for scripts that open windows without anyone watching.
# Sourced by ./kestrine and Tools/regenerate-vector-goldens.sh:
#
#   . Tools/xvfb.sh
#   xvfb_start || exit 1      # exports DISPLAY, sets XVFB_PID
#   ...
#   xvfb_stop
#
# Xvfb picks a free display number itself (-displayfd) and writes it only
# once it accepts clients, so two scripts starting at once never take the
# same number, and nothing connects before the server is up. Waits for that
# line with a generous deadline rather than for a fixed time.
XVFB_PID=""

xvfb_start() {
  local out i n=""
  out=$(mktemp "${TMPDIR:-/tmp}/kestrine-xvfb.XXXXXX") || return 1
  # -noreset: without it the server resets whenever its last client leaves,
  # and a test that connects during the reset finds no display (ctest starts
  # and ends test programs at any moment).
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$out" >/dev/null 2>&1 &
  XVFB_PID=$!
  # 60 s: a loaded machine can take long to start a server.
  for i in $(seq 1 600); do
    n=$(sed -n '1{/^[0-9][0-9]*$/p}' "$out")
    [[ -n "$n" ]] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$out"
  if [[ -z "$n" ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
    echo "no Xvfb display could be started" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

xvfb_stop() {
  if [[ -n "$XVFB_PID" ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
