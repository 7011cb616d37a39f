"""Replies of the update tests, served by the scripted server: the path carries the reply.

  /doc/<hex>                    200 with the hex-decoded bytes as the document
  /chunks/<n>,<n>,...           200, the pattern bytes i % 251 in chunks with pauses between
  /reset/<announced>/<sent>     announces a length, sends fewer pattern bytes, then resets
  /announce/<length>            announces a length and sends nothing more
  /over/<hex>/<extra>           announces the hex-decoded document, sends it and then <extra>
                                more bytes
"""
import socket
import struct
import time


def pattern(n):
    return bytes(i % 251 for i in range(n))


def head(length):
    return b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % length


def handle(request, path):
    """Serves path when it is one of ours; returns False otherwise."""
    parts = path.split("/")
    if len(parts) < 3:
        return False
    kind = parts[1]
    if kind == "doc":
        body = bytes.fromhex(parts[2])
        request.sendall(head(len(body)) + body)
    elif kind == "chunks":
        sizes = [int(n) for n in parts[2].split(",")]
        body = pattern(sum(sizes))
        request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        request.sendall(head(len(body)))
        pos = 0
        for n in sizes:
            time.sleep(0.2)
            request.sendall(body[pos:pos + n])
            pos += n
    elif kind == "reset":
        request.sendall(head(int(parts[2])) + pattern(int(parts[3])))
        time.sleep(0.2)
        request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        request.close()
        return True
    elif kind == "over" and len(parts) > 3:
        body = bytes.fromhex(parts[2])
        request.sendall(head(len(body)) + body)
        try:
            request.sendall(b"x" * int(parts[3]))
        except OSError:
            pass  # the client has gone once it had what was announced
    elif kind == "announce":
        request.sendall(head(int(parts[2])))
        time.sleep(0.5)
    else:
        return False
    return True
