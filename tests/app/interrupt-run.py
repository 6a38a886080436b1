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
        if os.path.exists('/tmp/.X11-unix/X' + display):
            return 'the private display :%s outlived the run' % display
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
