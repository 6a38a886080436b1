#!/usr/bin/env python3
"""Ctrl-C in the terminal of ./run's private display: after Skaf started, Skaf quits cleanly (no broken X
connection) each time; at a random moment of the start, the run ends within a bound all the same. Either way
no process of the run outlives it (this test adopts whatever the run leaves, as the subreaper of its
descendants) and no file is left: no lock or socket, no folder of a session bus, no scratch files.
Arguments: the script that runs skaf on a private display, the skaf program. $SKAF_INTERRUPT_RUNS sets how
many runs of each kind there are (20)."""
import ctypes, os, pty, random, re, select, shutil, signal, sys, tempfile, time

RUNS = int(os.environ.get('SKAF_INTERRUPT_RUNS', '20'))
WAIT_SECONDS = 30
PR_SET_CHILD_SUBREAPER = 36


def read_until(fd, pattern, deadline, seen):
    while time.monotonic() < deadline:
        if re.search(pattern, seen[0]):
            return True
        ready, _, _ = select.select([fd], [], [], 0.1)
        if ready:
            try:
                seen[0] += os.read(fd, 4096).decode(errors='replace')
            except OSError:
                return bool(re.search(pattern, seen[0]))
    return False


def adopted_processes():
    """The processes left by a run: orphans of its descendants are adopted by this process."""
    found = []
    for entry in os.listdir('/proc'):
        try:
            with open('/proc/%s/stat' % entry) as stat:
                text = stat.read()
        except (OSError, ValueError):
            continue
        name = text[text.find('(') + 1:text.rfind(')')]
        fields = text.rsplit(')', 1)[1].split()
        if int(fields[1]) == os.getpid() and fields[0] != 'Z':
            found.append('%s (%s)' % (name, entry))
            os.kill(int(entry), signal.SIGKILL)
    # Reaps them, and any that had ended.
    while True:
        try:
            if os.waitpid(-1, os.WNOHANG) == (0, 0):
                break
        except ChildProcessError:
            break
    return found


def files_in(folder):
    left = []
    for root, folders, files in os.walk(folder):
        left += [os.path.relpath(os.path.join(root, name), folder) for name in folders + files]
    return left


def run_once(script, skaf, home, log, interrupt_after):
    """Ctrl-C once Skaf runs (interrupt_after None) or that many seconds after the start; the problem or
    None."""
    env = dict(os.environ)
    env.pop('DISPLAY', None)
    env.pop('DBUS_SESSION_BUS_ADDRESS', None)
    env.update(XDG_CONFIG_HOME=home + '/config', XDG_STATE_HOME=home + '/state', XDG_DATA_HOME=home + '/data',
               XDG_RUNTIME_DIR=home + '/run', TMPDIR=home + '/tmp', HOME=home + '/home')
    started = open(log).read().count('running on the x11 desktop') if os.path.exists(log) else 0
    pid, fd = pty.fork()
    if pid == 0:
        os.execve(script, [script, skaf], env)
    seen = ['']
    deadline = time.monotonic() + WAIT_SECONDS
    try:
        if interrupt_after is None:
            if not read_until(fd, r'private virtual display (:\d+)', deadline, seen):
                return 'the private display did not start:\n' + seen[0]
            while time.monotonic() < deadline:
                if os.path.exists(log) and open(log).read().count('running on the x11 desktop') > started:
                    break
                read_until(fd, r'(?!)', time.monotonic() + 0.1, seen)
            else:
                return 'skaf did not start:\n' + seen[0]
        else:
            read_until(fd, r'(?!)', time.monotonic() + interrupt_after, seen)
        os.write(fd, b'\x03')
        while time.monotonic() < deadline:
            done, _ = os.waitpid(pid, os.WNOHANG)
            if done:
                break
            read_until(fd, r'(?!)', time.monotonic() + 0.1, seen)
        else:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
            return 'the run did not end after Ctrl-C:\n' + seen[0] + '\nleft: %s' % adopted_processes()
        read_until(fd, r'(?!)', time.monotonic() + 0.2, seen)
        if 'connection broke' in seen[0] or 'did not finish in time' in seen[0]:
            return 'skaf did not quit cleanly:\n' + seen[0]
        left = adopted_processes()
        if left:
            return 'processes outlived the run: %s\n%s' % (', '.join(left), seen[0])
        for folder in ('run', 'tmp'):
            left = files_in(home + '/' + folder)
            if left:
                return 'the run left %s in %s' % (left, folder)
        # Where a session bus that was started for want of one leaves its address.
        if os.path.exists(home + '/home/.dbus'):
            return 'the run started a session bus of its own'
        return None
    finally:
        os.close(fd)


def main():
    script, skaf = sys.argv[1], sys.argv[2]
    if ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        sys.exit('cannot adopt the processes that a run leaves')
    home = tempfile.mkdtemp()
    try:
        for folder in ('run', 'tmp', 'home'):
            os.makedirs(home + '/' + folder, mode=0o700)
        log = home + '/state/Skaf/Skaf.jsonl'
        started_at = time.monotonic()
        for run in range(1, RUNS + 1):
            problem = run_once(script, skaf, home, log, None)
            if problem:
                sys.exit('run %d of %d, Ctrl-C once Skaf ran: %s' % (run, RUNS, problem))
        # A start takes about as long as a run above less the quit; Ctrl-C comes anywhere in it.
        start_seconds = (time.monotonic() - started_at) / RUNS
        seed = int(os.environ.get('SKAF_INTERRUPT_SEED', str(random.randrange(1 << 30))))
        chance = random.Random(seed)
        for run in range(1, RUNS + 1):
            moment = chance.uniform(0, start_seconds)
            problem = run_once(script, skaf, home, log, moment)
            if problem:
                sys.exit('run %d of %d, Ctrl-C %.3f s after the start (seed %d): %s' %
                         (run, RUNS, moment, seed, problem))
        print('Ctrl-C ended the run cleanly %d times once Skaf ran, and %d times during the start' % (RUNS, RUNS))
    finally:
        shutil.rmtree(home, ignore_errors=True)


main()
