#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Forwards TCP connections to a server, holding every piece of data back for
half the added round-trip time in each direction, in order. Stands in for
`tc netem` on kernels without it.

    delay_proxy.py LISTEN_HOST LISTEN_PORT SERVER_HOST SERVER_PORT DELAY_MS
"""
import asyncio
import socket
import sys


async def pump(reader, writer, delay):
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            if data is None:
                break
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        if writer.can_write_eof():
            writer.write_eof()

    sender = asyncio.create_task(deliver())
    try:
        while True:
            data = await reader.read(1 << 16)
            if not data:
                break
            queue.put_nowait((loop.time() + delay, data))
    except (ConnectionError, OSError):
        pass
    queue.put_nowait((0, None))
    try:
        await sender
    except (ConnectionError, OSError):
        pass


async def main():
    listen_host, listen_port, server_host, server_port, delay_ms = sys.argv[1:6]
    half = float(delay_ms) / 2000.0

    async def serve(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection(server_host, int(server_port))
        except OSError:
            client_writer.close()
            return
        for w in (client_writer, server_writer):
            w.get_extra_info("socket").setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        await asyncio.gather(pump(client_reader, server_writer, half), pump(server_reader, client_writer, half))
        for w in (client_writer, server_writer):
            w.close()

    server = await asyncio.start_server(serve, listen_host, int(listen_port), reuse_address=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
