#!/usr/bin/env python3
"""Ctrl-C in the terminal of ./run's private display, twenty times: each time Skaf quits cleanly (no broken
X connection) and leaves no lock or socket file, and the private display is gone afterwards.
Arguments: the script that runs skaf on a private display, the skaf program."""
import os, pty, re, select, shutil, signal, sys, tempfile, time

RUNS = 20
WAIT_SECONDS = 30


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


def server_started_by(parent):
    for entry in os.listdir('/proc'):
        try:
            with open('/proc/%s/stat' % entry) as stat:
                fields = stat.read().rsplit(')', 1)[1].split()
            with open('/proc/%s/comm' % entry) as comm:
                name = comm.read().strip()
        except (OSError, IndexError):
            continue
        if name == 'Xvfb' and int(fields[1]) == parent:
            return int(entry)
    return None


def run_once(script, skaf, home, log):
    env = dict(os.environ)
    env.pop('DISPLAY', None)
    env.update(XDG_CONFIG_HOME=home + '/config', XDG_STATE_HOME=home + '/state', XDG_DATA_HOME=home + '/data',
               XDG_RUNTIME_DIR=home + '/run')
    started = open(log).read().count('running on the x11 desktop') if os.path.exists(log) else 0
    pid, fd = pty.fork()
    if pid == 0:
        os.execve(script, [script, skaf], env)
    seen = ['']
    deadline = time.monotonic() + WAIT_SECONDS
    try:
        if not read_until(fd, r'private virtual display (:\d+)', deadline, seen):
            return 'the private display did not start:\n' + seen[0]
        display = re.search(r'private virtual display :(\d+)', seen[0]).group(1)
        # The display's number goes to the next server that starts once it has ended (the tests run beside
        # each other), so it is its server, a child of the run, that must be gone afterwards.
        server = server_started_by(pid)
        if server is None:
            return 'no X server of the run was found'
        while time.monotonic() < deadline:
            if os.path.exists(log) and open(log).read().count('running on the x11 desktop') > started:
                break
            read_until(fd, r'(?!)', time.monotonic() + 0.1, seen)
        else:
            return 'skaf did not start:\n' + seen[0]
        os.write(fd, b'\x03')
        while time.monotonic() < deadline:
            done, _ = os.waitpid(pid, os.WNOHANG)
            if done:
                break
            read_until(fd, r'(?!)', time.monotonic() + 0.1, seen)
        else:
            os.kill(pid, signal.SIGKILL)
            return 'the run did not end after Ctrl-C:\n' + seen[0]
        read_until(fd, r'(?!)', time.monotonic() + 0.2, seen)
        if 'connection broke' in seen[0] or 'did not finish in time' in seen[0]:
            return 'skaf did not quit cleanly:\n' + seen[0]
        left = os.listdir(home + '/run')
        if left:
            return 'the quit left %s' % left
        try:
            os.kill(server, 0)
            return 'the private display :%s (process %d) outlived the run' % (display, server)
        except ProcessLookupError:
            pass
        return None
    finally:
        os.close(fd)


def main():
    script, skaf = sys.argv[1], sys.argv[2]
    home = tempfile.mkdtemp()
    try:
        os.makedirs(home + '/run', mode=0o700)
        log = home + '/state/Skaf/Skaf.jsonl'
        for run in range(1, RUNS + 1):
            problem = run_once(script, skaf, home, log)
            if problem:
                sys.exit('run %d of %d: %s' % (run, RUNS, problem))
        print('Ctrl-C quit Skaf cleanly %d times out of %d' % (RUNS, RUNS))
    finally:
        shutil.rmtree(home, ignore_errors=True)


main()
