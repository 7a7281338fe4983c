/* An independent Modbus RTU slave built on libmodbus, for testing the master
 * against a peer nobody here wrote. Holding registers 0x0100..0x01FF start as
 * 0x1000 + offset; any other address gets exception 2 from libmodbus itself.
 * Usage: libmodbus_slave PATH [ADDRESS [DELAY_MS [BAUD]]]
 * Prints "ready" once the port is open; runs until SIGTERM or SIGINT. */
#include <errno.h>
#include <modbus.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

/* libmodbus restarts its waits after a signal, so stopping means exiting here. */
static void on_signal(int sig) {
  (void)sig;
  _exit(0);
}

static void sleep_ms(long ms) {
  struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s PATH [ADDRESS [DELAY_MS [BAUD]]]\n", argv[0]);
    return 2;
  }
  const int address = argc > 2 ? atoi(argv[2]) : 1;
  const long delay_ms = argc > 3 ? atol(argv[3]) : 0;
  const int baud = argc > 4 ? atoi(argv[4]) : 19200;

  struct sigaction sa = {0};
  sa.sa_handler = on_signal;
  sigaction(SIGTERM, &sa, NULL);
  sigaction(SIGINT, &sa, NULL);

  modbus_t* ctx = modbus_new_rtu(argv[1], baud, 'N', 8, 1);
  modbus_mapping_t* map = modbus_mapping_new_start_address(0, 0, 0, 0, 0x0100, 0x100, 0, 0);
  if (!ctx || !map) return 1;
  for (int i = 0; i < 0x100; ++i) map->tab_registers[i] = (uint16_t)(0x1000 + i);
  modbus_set_slave(ctx, address);
  /* libmodbus sleeps this long before some exception answers; keep it short. */
  modbus_set_response_timeout(ctx, 0, 1000);
  if (modbus_connect(ctx) != 0) {
    fprintf(stderr, "cannot open %s: %s\n", argv[1], modbus_strerror(errno));
    return 1;
  }
  printf("ready\n");
  fflush(stdout);

  uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
  for (;;) {
    const int rc = modbus_receive(ctx, query);
    if (rc > 0) {
      if (delay_ms > 0) sleep_ms(delay_ms);
      modbus_reply(ctx, query, rc, map);
    }
  }
}
