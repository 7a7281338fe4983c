/* A libmodbus RTU master polling a line of transmitters as orn20mb-cli poll
 * --addresses does: each cycle reads the 11-register measurement block of
 * every address 1..N in turn, and prints one line per read as it ends, so
 * that line_bench times both programs by the same clock.
 * Usage: libmodbus_line_poll DEVICE BAUD N CYCLES */
#include <errno.h>
#include <modbus.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: %s DEVICE BAUD N CYCLES\n", argv[0]);
    return 2;
  }
  const int baud = atoi(argv[2]);
  const int n = atoi(argv[3]);
  const int cycles = atoi(argv[4]);
  modbus_t* ctx = modbus_new_rtu(argv[1], baud, 'N', 8, 1);
  if (ctx == NULL || modbus_connect(ctx) != 0) {
    fprintf(stderr, "libmodbus cannot open %s: %s\n", argv[1], modbus_strerror(errno));
    return 1;
  }
  modbus_set_response_timeout(ctx, 0, 500000);
  uint16_t values[11];
  for (int c = 0; c < cycles; ++c) {
    for (int a = 1; a <= n; ++a) {
      modbus_set_slave(ctx, a);
      const int got = modbus_read_registers(ctx, 0x0100, 11, values);
      printf("%d %s\n", a, got == 11 ? "ok" : "failed");
      fflush(stdout);
    }
  }
  modbus_close(ctx);
  modbus_free(ctx);
  return 0;
}
