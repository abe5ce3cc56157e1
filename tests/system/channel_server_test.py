#!/usr/bin/env python3
"""kt-util channel serve against hostile clients.

usage: channel_server_test.py KT_UTIL

The server runs under a low descriptor limit. Throughout every hostile
phase a well-behaved client must get its frame back within a second, and
the server's resident memory must stay bounded.
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
PROMPT = 1.0           # seconds a well-behaved client may wait for its reply
RSS_GROWTH = 96 << 20  # bytes the server may grow beyond its idle size


def frame(type_, payload):
    """A frame with the 5-byte header, padded to the block size 4."""
    raw = struct.pack('>Bi', type_, 5 + len(payload)) + payload
    return raw + b'\0' * (-len(raw) % 4)


def closed_within(sock, seconds):
    """True when the server closes (or resets) the connection in time."""
    deadline = time.monotonic() + seconds
    try:
        while time.monotonic() < deadline:
            sock.settimeout(max(deadline - time.monotonic(), 0.001))
            if not sock.recv(65536):
                return True
    except ConnectionResetError:
        return True
    except socket.timeout:
        pass
    return False


def open_many(port, n):
    """n connections made at once, each complete (or given up) within 20 s."""
    sel, socks = selectors.DefaultSelector(), []
    for _ in range(n):
        s = socket.socket()
        s.setblocking(False)
        s.connect_ex(('127.0.0.1', port))
        sel.register(s, selectors.EVENT_WRITE)
        socks.append(s)
    deadline = time.monotonic() + 20
    while sel.get_map() and time.monotonic() < deadline:
        for key, _ in sel.select(0.5):
            sel.unregister(key.fileobj)
    sel.close()
    return socks


class Server:
    def __init__(self, *options, nofile=128):
        self.log = tempfile.TemporaryFile(mode='w+')
        limit = lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (nofile, nofile))
        self.proc = subprocess.Popen([KT_UTIL, 'channel', 'serve', '--long', '--block', '4'] + list(options),
                                     stdout=self.log, stderr=subprocess.STDOUT, preexec_fn=limit)
        self.port, deadline = None, time.monotonic() + 10
        while self.port is None and time.monotonic() < deadline:
            time.sleep(0.02)
            if self.text().startswith('listening on port '):
                self.port = int(self.text().split()[3])
        if self.port is None:
            self.stop()
            raise RuntimeError('the server did not start: ' + self.text())

    def text(self):
        self.log.seek(0)
        return self.log.read()

    def rss(self):
        with open('/proc/%d/status' % self.proc.pid) as f:
            return next(int(l.split()[1]) << 10 for l in f if l.startswith('VmRSS:'))

    def cpu_seconds(self):
        with open('/proc/%d/stat' % self.proc.pid) as f:
            fields = f.read().rsplit(')', 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')

    def connect(self):
        return socket.create_connection(('127.0.0.1', self.port), timeout=5)

    def probe(self, test):
        """A well-behaved client: its frame must come back whole and in time."""
        start = time.monotonic()
        sent = frame(5, b'probe %f' % start)
        with self.connect() as s:
            s.sendall(sent)
            s.settimeout(PROMPT)
            got = b''
            while len(got) < len(sent) and time.monotonic() - start < PROMPT:
                got += s.recv(len(sent) - len(got)) or b'(closed)'
            test.assertEqual(got, sent)
        test.assertLess(time.monotonic() - start, PROMPT)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()
        self.log.close()


class Logged:
    def assertLogged(self, text, server=None):
        server = server or self.server
        deadline = time.monotonic() + 2  # the log is written once per turn of the server's loop
        while text not in server.text() and time.monotonic() < deadline:
            time.sleep(0.02)
        self.assertTrue(text in server.text(), '%r not in the log, which ends:\n%s' % (text, server.text()[-1500:]))


class ChannelServer(unittest.TestCase, Logged):
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
            with self.server.connect() as s:
                if i % 2:
                    s.sendall(bytes(rng.randrange(256) for _ in range(rng.randrange(1, 3000))))
                else:
                    s.sendall(frame(3, b'y' * 20000)[:rng.randrange(1, 20010)])
                if i % 3 == 0:
                    s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))  # reset
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
        socks = open_many(self.server.port, 2000)
        sent = {s: frame(6, b'client %d' % i) for i, s in enumerate(socks)}
        replies, sel = {s: b'' for s in socks}, selectors.DefaultSelector()
        for s in socks:
            s.send(sent[s])  # small: the socket buffer takes it at once
            sel.register(s, selectors.EVENT_READ)
        deadline = time.monotonic() + 30
        while sel.get_map() and time.monotonic() < deadline:
            for key, _ in sel.select(0.5):
                data = key.fileobj.recv(4096)
                replies[key.fileobj] += data
                if not data or len(replies[key.fileobj]) >= len(sent[key.fileobj]):
                    sel.unregister(key.fileobj)
                    key.fileobj.close()
        sel.close()
        self.assertEqual(sum(replies[s] == sent[s] for s in socks), len(socks))
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


class ChannelServerLimits(unittest.TestCase, Logged):
    def test_connection_limit_and_idle_time_out(self):
        self.server = Server('--max-connections', '3', '--idle', '0.5')
        try:
            held = [self.server.connect() for _ in range(3)]
            time.sleep(0.1)
            with self.server.connect() as extra:
                self.assertTrue(closed_within(extra, PROMPT))
            self.assertLogged('refused: 3 connections open (--max-connections 3)')
            for s in held:
                self.assertTrue(closed_within(s, 3.0))
                s.close()
            self.assertLogged('idle for 0.5 s: closed')
            self.server.probe(self)
        finally:
            self.server.stop()


def main():
    global KT_UTIL
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    KT_UTIL = sys.argv.pop(1)
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if hard != resource.RLIM_INFINITY and hard < 2200:
        print('skipped: the descriptor limit (%d) is too low for 2000 clients' % hard)
        sys.exit(77)
    resource.setrlimit(resource.RLIMIT_NOFILE, (max(soft, 2200), hard))
    unittest.main(verbosity=2)


if __name__ == '__main__':
    main()
