#!/usr/bin/env python3
"""A server on 127.0.0.1 (a free port) for the time-out tests of the directory tools.

    silent_server.py MODE PORTFILE

MODE silent: accepts connections and never answers anything.
MODE bind:   answers the first request of a connection (an LDAP bind) with success, then
             never answers again (a search waits for ever).
The port is written to PORTFILE once the server listens. Runs until killed.
"""
import os
import socket
import sys
import threading


def read_exact(conn, n):
    data = b""
    while len(data) < n:
        chunk = conn.recv(n - len(data))
        if not chunk:
            raise EOFError
        data += chunk
    return data


def read_message(conn):
    """One BER-encoded LDAPMessage: returns its content (after tag and length)."""
    tag = read_exact(conn, 1)
    if tag != b"\x30":
        raise EOFError
    first = read_exact(conn, 1)[0]
    if first < 0x80:
        length = first
    else:
        length = int.from_bytes(read_exact(conn, first & 0x7F), "big")
    return read_exact(conn, length)


def answer_bind(conn):
    try:
        body = read_message(conn)
        # messageID INTEGER: tag 0x02, short length, value
        assert body[0] == 0x02
        msgid = body[2:2 + body[1]]
        # BindResponse [APPLICATION 1] { resultCode success, matchedDN "", diagnosticMessage "" }
        op = b"\x61\x07\x0a\x01\x00\x04\x00\x04\x00"
        content = b"\x02" + bytes([len(msgid)]) + msgid + op
        conn.sendall(b"\x30" + bytes([len(content)]) + content)
        while conn.recv(65536):
            pass
    except (EOFError, OSError, AssertionError, IndexError):
        pass


def main():
    mode, portfile = sys.argv[1], sys.argv[2]
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(64)
    tmp = portfile + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.getsockname()[1]))
    os.rename(tmp, portfile)
    held = []
    while True:
        conn, _ = server.accept()
        held.append(conn)
        if mode == "bind":
            threading.Thread(target=answer_bind, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    main()
