#!/usr/bin/env python3
"""kt-util channel serve against hostile clients.

usage: channel_server_test.py KT_UTIL

Each hostile phase runs while a well-behaved client checks that its frame
comes back within a second, and the server's resident memory must stay
bounded throughout. The server runs under a low descriptor limit, so that
running out of descriptors is part of what it meets.
"""
import os
import random
import resource
import selectors
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest

KT_UTIL = None
PROMPT = 1.0         # seconds a well-behaved client may wait for its reply
RSS_GROWTH = 96 << 20  # bytes the server may grow beyond its idle size
BLOCK = 4


def frame(type_, payload, block=BLOCK):
    """A frame with the 5-byte header, padded to the block size."""
    raw = struct.pack('>Bi', type_, 5 + len(payload)) + payload
    return raw + b'\0' * (-len(raw) % block)


def read_exact(sock, n, deadline):
    data = b''
    while len(data) < n:
        sock.settimeout(max(deadline - time.monotonic(), 0.001))
        chunk = sock.recv(n - len(data))
        if not chunk:
            raise ConnectionError('closed after %d bytes' % len(data))
        data += chunk
    return data


def closed_within(sock, seconds):
    """True when the server closes (or resets) the connection in time."""
    deadline = time.monotonic() + seconds
    try:
        while time.monotonic() < deadline:
            sock.settimeout(max(deadline - time.monotonic(), 0.001))
            if not sock.recv(65536):
                return True
    except (ConnectionResetError, BrokenPipeError):
        return True
    except socket.timeout:
        pass
    return False


class Server:
    def __init__(self, *options, nofile=128):
        self.log = tempfile.TemporaryFile(mode='w+')

        def limit():
            resource.setrlimit(resource.RLIMIT_NOFILE, (nofile, nofile))

        self.proc = subprocess.Popen([KT_UTIL, 'channel', 'serve', '--long', '--block', str(BLOCK)] + list(options),
                                     stdout=self.log, stderr=subprocess.STDOUT, preexec_fn=limit)
        deadline = time.monotonic() + 10
        self.port = None
        while self.port is None and time.monotonic() < deadline:
            time.sleep(0.02)
            first = self.text().split('\n', 1)[0]
            if first.startswith('listening on port '):
                self.port = int(first.split()[3])
        if self.port is None:
            self.stop()
            raise RuntimeError('the server did not start: ' + self.text())

    def text(self):
        self.log.seek(0)
        return self.log.read()

    def status(self, field):
        with open('/proc/%d/status' % self.proc.pid) as f:
            for line in f:
                if line.startswith(field + ':'):
                    return int(line.split()[1])

    def rss(self):
        return self.status('VmRSS') << 10

    def cpu_seconds(self):
        with open('/proc/%d/stat' % self.proc.pid) as f:
            fields = f.read().rsplit(')', 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')

    def connect(self):
        return socket.create_connection(('127.0.0.1', self.port), timeout=5)

    def probe(self, test):
        """A well-behaved client: its frame must come back whole and in time."""
        start = time.monotonic()
        payload = b'probe %f' % start
        with self.connect() as s:
            s.sendall(frame(5, payload))
            reply = read_exact(s, len(frame(5, payload)), start + PROMPT)
        test.assertEqual(reply, frame(5, payload))
        test.assertLess(time.monotonic() - start, PROMPT)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()
        self.log.close()


def open_many(port, n, seconds=20):
    """n connections made at once, without waiting for each in turn."""
    sel = selectors.DefaultSelector()
    socks = []
    for _ in range(n):
        s = socket.socket()
        s.setblocking(False)
        s.connect_ex(('127.0.0.1', port))
        sel.register(s, selectors.EVENT_WRITE)
        socks.append(s)
    pending, deadline = n, time.monotonic() + seconds
    while pending and time.monotonic() < deadline:
        for key, _ in sel.select(0.5):
            sel.unregister(key.fileobj)
            pending -= 1
    sel.close()
    return socks


class ChannelServer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()
        time.sleep(0.2)
        cls.base_rss = cls.server.rss()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def tearDown(self):
        self.assertIsNone(self.server.proc.poll(), 'the server ended:\n' + self.server.text()[-2000:])
        self.assertLess(self.server.rss(), self.base_rss + RSS_GROWTH)

    def assertLogged(self, text, server=None):
        deadline = time.monotonic() + 2  # the log is written once per turn of the server's loop
        while text not in (server or self.server).text() and time.monotonic() < deadline:
            time.sleep(0.02)
        log = (server or self.server).text()
        self.assertTrue(text in log, '%r not in the log, which ends:\n%s' % (text, log[-1500:]))

    def test_huge_declared_lengths(self):
        for declared in (0x7fffffff, 0x40000000, (1 << 20) + 1, -5, 3):
            with self.subTest(declared=declared), self.server.connect() as s:
                s.sendall(struct.pack('>Bi', 1, declared))
                self.assertTrue(closed_within(s, PROMPT))
                self.server.probe(self)
        self.assertLogged('above the limit of 1048576 (--max-frame)')

    def test_stalled_partial_frames(self):
        stalled = [self.server.connect() for _ in range(40)]
        for i, s in enumerate(stalled):
            s.sendall(frame(2, b'x' * 1000)[:1 + i % 30])  # cut in the header or the payload
        for _ in range(3):
            self.server.probe(self)
        for s in stalled:
            s.close()

    def test_abrupt_disconnects_and_random_bytes(self):
        rng = random.Random(7)
        for i in range(200):
            s = self.server.connect()
            if i % 2:
                s.sendall(bytes(rng.randrange(256) for _ in range(rng.randrange(1, 3000))))
            else:
                s.sendall(frame(3, b'y' * 20000)[:rng.randrange(1, 20010)])
            if i % 3 == 0:
                s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))  # reset
            s.close()
            if i % 50 == 0:
                self.server.probe(self)
        self.server.probe(self)

    def test_client_that_never_reads(self):
        s = self.server.connect()
        s.setblocking(False)
        chunk = frame(4, os.urandom(60000)) * 16
        sent, dropped, deadline, probed = 0, False, time.monotonic() + 20, 0
        while not dropped and sent < (256 << 20) and time.monotonic() < deadline:
            try:
                sent += s.send(chunk[sent % len(chunk):])
            except BlockingIOError:
                if time.monotonic() - probed > 0.2:
                    self.server.probe(self)
                    probed = time.monotonic()
                time.sleep(0.01)
            except (BrokenPipeError, ConnectionResetError):
                dropped = True
        s.close()
        self.assertTrue(dropped, 'still connected after %d bytes' % sent)
        self.assertLogged('does not read its replies')
        self.server.probe(self)

    def test_thousands_of_connections_beyond_the_descriptor_limit(self):
        n = 2000
        socks = open_many(self.server.port, n)
        payload = {s: b'client %d' % i for i, s in enumerate(socks)}
        for s in socks:
            s.send(frame(6, payload[s]))  # small: fits the socket buffer at once
        sel = selectors.DefaultSelector()
        replies = {s: b'' for s in socks}
        for s in socks:
            sel.register(s, selectors.EVENT_READ)
        answered, deadline = 0, time.monotonic() + 30
        while answered < n and time.monotonic() < deadline:
            for key, _ in sel.select(0.5):
                s = key.fileobj
                data = s.recv(4096)
                replies[s] += data
                if not data or len(replies[s]) >= len(frame(6, payload[s])):
                    sel.unregister(s)
                    s.close()
                    answered += 1
        sel.close()
        self.assertEqual(sum(replies[s] == frame(6, payload[s]) for s in socks), n)
        self.assertLogged('accepting failed (Too many open files')
        self.server.probe(self)

    def test_out_of_descriptors_does_not_spin(self):
        held = open_many(self.server.port, 300)
        time.sleep(0.5)
        before = self.server.cpu_seconds()
        time.sleep(1.0)
        self.assertLess(self.server.cpu_seconds() - before, 0.1)
        for s in held:
            s.close()
        time.sleep(0.2)
        self.server.probe(self)


class ChannelServerLimits(unittest.TestCase):
    assertLogged = ChannelServer.assertLogged

    def test_connection_limit_and_idle_time_out(self):
        server = Server('--max-connections', '3', '--idle', '0.5')
        try:
            held = [server.connect() for _ in range(3)]
            time.sleep(0.1)
            with server.connect() as extra:
                self.assertTrue(closed_within(extra, PROMPT))
            self.assertLogged('refused: 3 connections open (--max-connections 3)', server)
            for s in held:
                self.assertTrue(closed_within(s, 3.0))
                s.close()
            self.assertLogged('idle for 0.5', server)
            server.probe(self)
        finally:
            server.stop()


def main():
    global KT_UTIL
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    KT_UTIL = sys.argv.pop(1)
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    want = 2000 + 200
    if hard != resource.RLIM_INFINITY and hard < want:
        print('skipped: the descriptor limit (%d) is too low for 2000 clients' % hard)
        sys.exit(77)
    resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, want), hard))
    unittest.main(verbosity=2)


if __name__ == '__main__':
    main()
