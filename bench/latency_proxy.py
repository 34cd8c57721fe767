#!/usr/bin/env python3
"""A TCP proxy in front of a local FTP server that delays every byte by half a round-trip time in each
direction, so loopback behaves like a line of that round trip (this machine's kernel has no network
emulation). Passive data connections go through it too: a 227 or 229 reply is rewritten to name a fresh
listener of the proxy, which forwards to the address the server gave. Active mode (PORT) is not proxied.

Only loopback addresses are ever connected to. The proxy prints its listening port on the first line of its
output and runs until it is terminated. When a control connection begins it prints "opened" to its standard error,
and when it ends "commands=N" (the lines the client sent on it), so a benchmark can count a client's round trips.

With --raw the bytes pass as they are, for a protocol that is not FTP (SSH): nothing is read as lines.

FTPS hides the passive replies from the proxy, so with --passive-ports LOW-HIGH (the range the server offers) the
bytes pass as they are and the proxy listens on 127.0.0.2 instead: on the control port and on each port of the
range, forwarding to the same port on 127.0.0.1. A client that opens its data connections to the control
connection's peer (not to the address a 227 names) then goes through the proxy on both. Commands are not counted.

Usage: latency_proxy.py [--raw | --passive-ports LOW-HIGH] SERVER_PORT RTT_MS [LISTEN_PORT]
"""
import asyncio
import ipaddress
import re
import signal
import sys

CHUNK = 64 * 1024
QUEUED_CHUNKS = 256  # at most 16 MiB in flight per direction
PASSIVE = re.compile(rb"^227 [^(]*\((\d+),(\d+),(\d+),(\d+),(\d+),(\d+)\)")
EXTENDED_PASSIVE = re.compile(rb"^229 [^(]*\(\|\|\|(\d+)\|\)")


def loopback(host):
    return ipaddress.ip_address(host).is_loopback


async def delayed_copy(reader, writer, delay, rewrite=None):
    """Copies reader to writer, each chunk written `delay` seconds after it was read; EOF is passed on as a
    half close, so the end of an upload reaches the server as it would without the proxy."""
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue(QUEUED_CHUNKS)

    async def take():
        try:
            while True:
                data = await reader.read(CHUNK)
                if data and rewrite:
                    data = await rewrite(data)
                await queue.put((loop.time() + delay, data))
                if not data:
                    return
        except (ConnectionError, OSError):
            await queue.put((loop.time() + delay, b""))

    async def give():
        try:
            while True:
                due, data = await queue.get()
                wait = due - loop.time()
                if wait > 0:
                    await asyncio.sleep(wait)
                if not data:
                    if writer.can_write_eof():
                        writer.write_eof()
                    return
                writer.write(data)
                await writer.drain()
        except (ConnectionError, OSError):
            pass

    await asyncio.gather(take(), give())


class ReplyRewriter:
    """Rewrites passive replies of the control connection (server to client) line by line."""

    def __init__(self, delay):
        self.delay = delay
        self.pending = b""

    async def __call__(self, data):
        self.pending += data
        lines = self.pending.split(b"\n")
        self.pending = lines.pop()
        out = []
        for line in lines:
            out.append(await self.rewrite(line + b"\n"))
        return b"".join(out)

    async def rewrite(self, line):
        match = PASSIVE.match(line)
        if match:
            host = ".".join(part.decode() for part in match.groups()[:4])
            port = int(match.group(5)) * 256 + int(match.group(6))
            local = await relay_once(host, port, self.delay)
            return b"227 Entering Passive Mode (127,0,0,1,%d,%d).\r\n" % (local // 256, local % 256)
        match = EXTENDED_PASSIVE.match(line)
        if match:
            local = await relay_once("127.0.0.1", int(match.group(1)), self.delay)
            return b"229 Entering Extended Passive Mode (|||%d|).\r\n" % local
        return line


class CommandCounter:
    """Counts the command lines of the control connection (client to server), passing them on unchanged."""

    def __init__(self):
        self.count = 0

    async def __call__(self, data):
        self.count += data.count(b"\n")
        return data


async def relay_once(host, port, delay):
    """A listener for one data connection, forwarded to host:port with the delay; returns its port."""
    if not loopback(host):
        raise ConnectionError("refusing to forward beyond loopback: %s" % host)
    server = None

    async def on_client(client_reader, client_writer):
        server.close()
        await relay(client_reader, client_writer, host, port, delay)

    server = await asyncio.start_server(on_client, "127.0.0.1", 0)
    return server.sockets[0].getsockname()[1]


async def relay(client_reader, client_writer, host, port, delay, rewrite=None, outgoing=None):
    try:
        server_reader, server_writer = await asyncio.open_connection(host, port)
    except OSError:
        client_writer.close()
        return
    try:
        await asyncio.gather(
            delayed_copy(client_reader, server_writer, delay, outgoing),
            delayed_copy(server_reader, client_writer, delay, rewrite),
        )
    finally:
        for writer in (client_writer, server_writer):
            writer.close()


async def forward_passive_ports(ports, delay):
    """A listener on 127.0.0.2 for each passive port, forwarded to the same port on 127.0.0.1."""
    listeners = []
    for port in ports:

        async def on_data(reader, writer, port=port):
            await relay(reader, writer, "127.0.0.1", port, delay)

        listeners.append(await asyncio.start_server(on_data, "127.0.0.2", port))
    return listeners


async def main():
    args = sys.argv[1:]
    raw = "--raw" in args
    args = [arg for arg in args if arg != "--raw"]
    passive_ports = None
    if "--passive-ports" in args:
        at = args.index("--passive-ports")
        low, high = (int(port) for port in args[at + 1].split("-"))
        passive_ports = range(low, high + 1)
        del args[at : at + 2]
        raw = True
    server_port, rtt_ms = int(args[0]), float(args[1])
    listen_port = int(args[2]) if len(args) > 2 else 0
    listen_host = "127.0.0.1" if passive_ports is None else "127.0.0.2"
    delay = rtt_ms / 2000.0
    data_listeners = [] if passive_ports is None else await forward_passive_ports(passive_ports, delay)

    async def on_control(reader, writer):
        print("opened", file=sys.stderr, flush=True)
        commands = CommandCounter()
        await relay(reader, writer, "127.0.0.1", server_port, delay, None if raw else ReplyRewriter(delay), commands)
        print("commands=%d" % commands.count, file=sys.stderr, flush=True)

    server = await asyncio.start_server(on_control, listen_host, listen_port)
    print(server.sockets[0].getsockname()[1], flush=True)
    stop = asyncio.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        asyncio.get_running_loop().add_signal_handler(sig, stop.set)
    await stop.wait()
    for listener in [server] + data_listeners:
        listener.close()


if __name__ == "__main__":
    asyncio.run(main())
