#!/usr/bin/env python3
"""Telnet peers for bench/desktop_cost.sh, on 127.0.0.1 only.

    desktop_peer.py fill  LINES PORTFILE        every connection gets LINES lines, then quiet
    desktop_peer.py blink LINES PORTFILE        the same, then one blinking cell
    desktop_peer.py flood MBYTES PORTFILE LOG   one flood of Big5 ANSI text per connection,
                                                ended by IAC DO 99; logs the seconds until
                                                the IAC WONT 99 reply
    desktop_peer.py negotiate MBYTES PORTFILE LOG
                                                up to MBYTES of option requests (IAC DO x and
                                                a data byte), never reading the answers; logs
                                                "blocked N" when the program stopped taking
                                                them for 3 s, or "all N"

The port is written to PORTFILE; a line "sent N" is appended to PORTFILE.sent
for every connection whose text went out. Ends by itself after an hour.
"""
import os
import socket
import sys
import threading
import time

mode, amount, portfile = sys.argv[1], int(sys.argv[2]), sys.argv[3]
log = sys.argv[4] if len(sys.argv) > 4 else None
lock = threading.Lock()
served = 0


def note(path, text):
    with lock:
        with open(path, "a") as f:
            f.write(text + "\n")


def fill_text(lines):
    out = bytearray()
    for i in range(lines):
        colour = 31 + i % 7
        out += b"\x1b[1;%dmline %5d\x1b[0m " % (colour, i)
        # Big5 text: U+4E2D U+6587 style pairs (lead 0xA4..0xAF, trail 0x40..0x7E)
        for k in range(24):
            out += bytes((0xA4 + (i + k) % 12, 0x40 + (i * 7 + k) % 63))
        out += b"\r\n"
    return bytes(out)


def flood_text(mbytes):
    block = bytearray()
    i = 0
    while len(block) < 1 << 20:
        block += b"\x1b[%d;%dm" % (30 + i % 8, 40 + (i // 8) % 8)
        for k in range(36):
            block += bytes((0xA4 + (i + k) % 12, 0xA1 + (i * 5 + k) % 94))
        block += b"\x1b[0m\r\n"
        i += 1
    block = bytes(block[: 1 << 20])
    return block * mbytes


def drain(conn):
    try:
        while conn.recv(65536):
            pass
    except OSError:
        pass


def negotiate(conn, mbytes):
    unit = b"".join(b"\xff\xfd" + bytes((26 + i % 230,)) + b"z" for i in range(230))
    block = unit * (65536 // len(unit))
    conn.settimeout(3.0)
    sent, state, off = 0, "all", 0
    while sent < mbytes << 20:
        try:
            n = conn.send(block[off:])
        except socket.timeout:
            state = "blocked"
            break
        sent += n
        off = (off + n) % len(block)
    note(log, "%s %d" % (state, sent))
    time.sleep(3600)  # never reads; the program's end closes it


def serve(conn):
    global served
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    try:
        if mode == "negotiate":
            negotiate(conn, amount)
        elif mode in ("fill", "blink"):
            conn.sendall(fill_text(amount))
            if mode == "blink":
                conn.sendall(b"\x1b[5;1;33m*\x1b[0m")
            with lock:
                served += 1
                n = served
            note(portfile + ".sent", "sent %d" % n)
            drain(conn)
        else:
            data = flood_text(amount)
            reply = bytearray()
            stop = threading.Event()

            def reader():
                while not stop.is_set():
                    try:
                        chunk = conn.recv(65536)
                    except OSError:
                        break
                    if not chunk:
                        break
                    reply.extend(chunk)
                    if b"\xff\xfc\x63" in reply:
                        stop.set()

            t = threading.Thread(target=reader, daemon=True)
            time.sleep(1.0)  # let the session settle after connecting
            reply.clear()
            start = time.monotonic()
            t.start()
            conn.sendall(data + b"\xff\xfd\x63")
            sent = time.monotonic()
            got = stop.wait(120)
            end = time.monotonic()
            note(log, "%s %.3f %.3f" % ("ok" if got else "timeout", end - start, sent - start))
            drain(conn)
    finally:
        conn.close()


def main():
    srv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind(("127.0.0.1", 0))
    srv.listen(16)
    with open(portfile + ".tmp", "w") as f:
        f.write(str(srv.getsockname()[1]))
    os.rename(portfile + ".tmp", portfile)
    srv.settimeout(1.0)
    deadline = time.monotonic() + 3600
    while time.monotonic() < deadline:
        try:
            conn, _ = srv.accept()
        except socket.timeout:
            continue
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


main()
