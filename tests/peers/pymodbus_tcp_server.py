#!/usr/bin/python3
"""An independent Modbus TCP server built on pymodbus, for testing the master
against a peer nobody here wrote. Holding registers 0x0100..0x01FF start as
0x1000 + offset; other addresses get exception 2. It listens on 127.0.0.1 at
the given port. Usage: pymodbus_tcp_server.py PORT"""
import logging
import os
import signal
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server import StartTcpServer


def main():
    port = int(sys.argv[1])
    block = ModbusSequentialDataBlock(0x0100, [0x1000 + i for i in range(0x100)])
    slave = ModbusSlaveContext(hr=block, zero_mode=True)
    context = ModbusServerContext(slaves=slave, single=True)
    # Exception answers are expected here; pymodbus would log each one as an error.
    logging.getLogger("pymodbus").setLevel(logging.CRITICAL)
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    print("ready", flush=True)
    StartTcpServer(context=context, address=("127.0.0.1", port))


if __name__ == "__main__":
    main()
