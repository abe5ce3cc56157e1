#!/usr/bin/env python3
"""Frames per second through `kt-util channel serve` with 1, 10 and 100 clients.

usage: channel_load.py [KT_UTIL] [--seconds S] [--depth D] [--size BYTES] [--clients N,N,...]

Each client keeps D frames of BYTES payload bytes in flight (default 1: a
request, its echo, the next request) over loopback; a frame counts when its
echo has come back whole. The clients run in this one Python process, so on
a small machine they share the cores with the server and the figures are a
lower bound of what the server can do. The server's log goes to /dev/null.
"""
import argparse
import os
import selectors
import socket
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def start_server(kt_util):
    with socket.socket() as probe:  # a free port, so that the log need not be read
        probe.bind(('127.0.0.1', 0))
        port = probe.getsockname()[1]
    proc = subprocess.Popen([kt_util, 'channel', 'serve', '--port', str(port)], stdout=subprocess.DEVNULL)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        try:
            socket.create_connection(('127.0.0.1', port)).close()
            return proc, port
        except ConnectionRefusedError:
            time.sleep(0.02)
    proc.kill()
    sys.exit('the server did not start')


def measure(port, clients, seconds, depth, size):
    request = struct.pack('>BH', 1, 3 + size) + b'x' * size
    sel = selectors.DefaultSelector()
    state = {}
    for _ in range(clients):
        s = socket.create_connection(('127.0.0.1', port))
        s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        s.setblocking(False)
        s.sendall(request * depth)
        state[s] = 0  # reply bytes received of the current round
        sel.register(s, selectors.EVENT_READ)
    frames, start = 0, time.monotonic()
    end = start + seconds
    while time.monotonic() < end:
        for key, _ in sel.select(0.5):
            s = key.fileobj
            data = s.recv(65536)
            if not data:
                sys.exit('the server closed a connection')
            state[s] += len(data)
            done, state[s] = divmod(state[s], len(request))
            frames += done
            if done:
                s.sendall(request * done)
    elapsed = time.monotonic() - start
    for s in list(state):
        sel.unregister(s)
        s.close()
    sel.close()
    return frames / elapsed


def main():
    p = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    p.add_argument('kt_util', nargs='?', default=os.path.join(HERE, '..', 'build', 'tools', 'kt-util', 'kt-util'))
    p.add_argument('--seconds', type=float, default=3.0)
    p.add_argument('--depth', type=int, default=1)
    p.add_argument('--size', type=int, default=64)
    p.add_argument('--clients', default='1,10,100')
    a = p.parse_args()
    proc, port = start_server(a.kt_util)
    try:
        print('payload %d bytes, %d frame(s) in flight per client, %.1f s each' % (a.size, a.depth, a.seconds))
        for n in (int(c) for c in a.clients.split(',')):
            print('%4d clients: %9.0f frames/s' % (n, measure(port, n, a.seconds, a.depth, a.size)), flush=True)
    finally:
        proc.kill()
        proc.wait()


if __name__ == '__main__':
    main()
