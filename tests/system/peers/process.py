"""Helpers shared by the peer modules: free ports, pid files, bounded stops."""

import os
import signal
import socket
import time


def port_free(address, port):
    """True when a TCP socket can be bound to address:port now."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            s.bind((address, port))
        except OSError:
            return False
    return True


def free_port(address):
    """A port the system has just handed out on address (free at that moment)."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind((address, 0))
        return s.getsockname()[1]


def accepts(address, port, timeout=0.5):
    """True when a TCP connection to address:port succeeds."""
    try:
        with socket.create_connection((address, port), timeout=timeout):
            return True
    except OSError:
        return False


def read_pid(path):
    try:
        with open(path) as f:
            return int(f.read().strip())
    except (OSError, ValueError):
        return None


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


def terminate(pid, timeout=10.0):
    """SIGTERM, then SIGKILL, each waited for at most timeout seconds."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            return
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not alive(pid):
                return
            time.sleep(0.05)


def reap(process, timeout=10.0):
    """Ends and waits for a Popen object we started (bounded)."""
    if process is None:
        return
    if process.poll() is None:
        process.terminate()
    try:
        process.wait(timeout)
    except Exception:
        process.kill()
        process.wait(timeout)
