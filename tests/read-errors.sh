# Input that cannot be read: no answer line, one line on standard error and
# status 1, where an empty answer would pass the failure off as end of input.
. "$(dirname "$0")/lib.sh"

# Wine's C runtime has no "Is a directory" and no closed standard input.
eisdir=$(stated '*/Windows' 'Invalid argument' '*' 'Is a directory')
ebadf=$(stated '*/Windows' 'Invalid argument' '*' 'Bad file descriptor')

"${prog[@]}" <"$tmp" >"$tmp/out" 2>"$tmp/err"; status=$?
check 'standard input is a directory' 1 "$prompt" "knjiga: read error: $eisdir\n"

"${prog[@]}" <&- >"$tmp/out" 2>"$tmp/err"; status=$?
check 'closed standard input' 1 "$prompt" "knjiga: read error: $ebadf\n"

# The terminal hangs up after TYPED was typed, while the program waits to read
# more: the program runs in a pseudo-terminal whose other end is then closed.
# A read waiting at that moment fails (EIO); one made after it, as when the
# program was stopped (HOW=stopped) at the hang-up and then continued, finds
# the end of the input instead. Linux on x86-64 shows what a process waits in
# (read, 0, on descriptor 0); elsewhere the case is skipped (status 77).
hangup() {
  python3 - "$1" "$2" "${prog[@]}" >"$tmp/out" 2>"$tmp/err" <<'PY'
import fcntl, os, platform, pty, signal, subprocess, sys, termios, time, tty
if platform.machine() != "x86_64" or not os.path.exists("/proc/self/syscall"):
    sys.exit(77)
master, slave = pty.openpty()
tty.setraw(slave)  # each byte is read as soon as it is typed
run = subprocess.Popen(sys.argv[3:], stdin=slave)
os.write(master, sys.argv[1].encode())
def proc(what):
    with open("/proc/%d/%s" % (run.pid, what)) as f:
        return f.read()
def waits_to_read():  # all typed is read, and the program waits for more
    return proc("syscall").startswith("0 0x0 ") and \
        fcntl.ioctl(slave, termios.FIONREAD, b"1234") == b"\0" * 4
while not waits_to_read():
    time.sleep(0.01)
if sys.argv[2] == "stopped":
    run.send_signal(signal.SIGSTOP)
    while proc("stat").rsplit(")", 1)[1].split()[0] != "T":
        time.sleep(0.01)
os.close(slave)
os.close(master)
run.send_signal(signal.SIGCONT)
sys.exit(run.wait())
PY
  status=$?
}
if windows || ! command -v python3 >/dev/null; then
  echo "skip: terminal hangs up: no POSIX pseudo-terminal or no python3"
else
  for typed in '3 Seob' '1e999' ''; do
    for how in waiting stopped; do
      hangup "$typed" $how
      if [ $status = 77 ]; then
        echo "skip: terminal hangs up: cannot see when the program waits to read"
        break 2
      fi
      check "terminal hangs up after '$typed', program $how" 1 "$prompt" \
        'knjiga: read error: Input/output error\n'
    done
  done
fi

finish
