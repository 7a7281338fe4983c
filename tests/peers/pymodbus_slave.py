#!/usr/bin/python3
"""An independent Modbus RTU slave built on pymodbus, for testing the master
against a peer nobody here wrote. Holding registers 0x0100..0x01FF start as
0x1000 + offset; other addresses get exception 2; other slave addresses are
ignored. Usage: pymodbus_slave.py PATH [ADDRESS]"""
import logging
import os
import signal
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server import StartSerialServer
from pymodbus.transaction import ModbusRtuFramer


def main():
    path = sys.argv[1]
    address = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    block = ModbusSequentialDataBlock(0x0100, [0x1000 + i for i in range(0x100)])
    slave = ModbusSlaveContext(hr=block, zero_mode=True)
    context = ModbusServerContext(slaves={address: slave}, single=False)
    # Exception answers are expected here; pymodbus would log each one as an error.
    logging.getLogger("pymodbus").setLevel(logging.CRITICAL)
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    print("ready", flush=True)
    StartSerialServer(context=context, framer=ModbusRtuFramer, port=path,
                      baudrate=19200, bytesize=8, parity="N", stopbits=1,
                      ignore_missing_slaves=True)


if __name__ == "__main__":
    main()
