#!/usr/bin/env python3
"""Replies that a normal web server cannot be made to give: the first request line's path
picks the script. Listens on 127.0.0.1 only (so [::1] on the same port refuses) and writes
its port to the file given as the first argument once it accepts connections."""
import os
import socket
import socketserver
import sys
import time

import update_replies

HELLO = b"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"
# Bytes i % 251, as nginx's /big.bin.
BIG = (bytes(range(251)) * (2 * 1024 * 1024 // 251 + 1))[:2 * 1024 * 1024]


def expected_get(port):
    return ("GET /v.xml HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nUser-Agent: IE6.0\r\n"
            "Connection: close\r\nCache-Control: no-cache\r\n\r\n" % port).encode()


def reply(body, status=b"200 OK"):
    return b"HTTP/1.1 " + status + b"\r\nContent-Length: %d\r\n\r\n" % len(body) + body


class Handler(socketserver.BaseRequestHandler):
    def read_head(self):
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = self.request.recv(4096)
            if not chunk:
                break
            data += chunk
        return data

    def send_slowly(self, data, pause):
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        for i in range(len(data)):
            self.request.sendall(data[i:i + 1])
            time.sleep(pause)

    def endless(self, prefix, filler):
        try:
            self.request.sendall(prefix)
            while True:
                self.request.sendall(filler)
        except OSError:
            pass

    def handle(self):
        head = self.read_head()
        try:
            path = head.split(b" ")[1].decode()
        except IndexError:
            return
        port = self.server.server_address[1]
        s = self.request
        if update_replies.handle(s, path):
            return
        if path == "/hello":
            s.sendall(HELLO)
        elif path == "/bytewise":
            self.send_slowly(HELLO, 0.003)
        elif path == "/split-status":
            s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            s.sendall(b"HTTP/1.1 2")
            time.sleep(0.1)
            s.sendall(b"00 OK\r\nContent-Length: 5\r\n\r\nhello")
        elif path == "/short":
            s.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel")
        elif path == "/no-length":
            s.sendall(b"HTTP/1.1 200 OK\r\nX-Kind: none\r\n\r\n")
            time.sleep(0.2)
        elif path == "/not-found":
            s.sendall(reply(b"no such page", b"404 Not Found"))
        elif path == "/zero":
            s.sendall(b"HTTP/1.1 0 Zero\r\nContent-Length: 0\r\n\r\n")
        elif path == "/foo":
            s.sendall(b"FOO 200\r\nContent-Length: 0\r\n\r\n")
        elif path == "/negative-length":
            s.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nhello")
        elif path == "/huge-length":
            s.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nhello")
        elif path == "/endless-header":
            self.endless(b"HTTP/1.1 200 OK\r\n", b"X-Pad: " + b"a" * 1000 + b"\r\n")
        elif path == "/endless-status":
            self.endless(b"HTTP/1.1 200 ", b"a" * 4096)
        elif path == "/v.xml":
            if head == expected_get(port):
                s.sendall(reply(b"exact"))
            else:
                s.sendall(reply(head, b"400 Bad Request"))
        elif path == "/post":
            s.sendall(reply(head))
        elif path == "/big-close":
            # All of it at once, then the close right after the last byte.
            s.sendall(reply(BIG))
        elif path == "/close100":
            s.sendall(b"x" * 100)
            time.sleep(0.1)
        s.shutdown(socket.SHUT_RDWR)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    server = Server(("127.0.0.1", 0), Handler)
    tmp = sys.argv[1] + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.rename(tmp, sys.argv[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
