/* An independent Modbus RTU slave built on libmodbus, for testing the master
 * against a peer nobody here wrote. It holds registers 0x0100..0x06FF:
 * 0x0100..0x01FF start as 0x1000 + offset; the configuration registers start
 * as a transmitter at ADDRESS and BAUD without parity, identity 1, 6, 0, a user
 * text of spaces, the rest 0. Any other address gets exception 2 from
 * libmodbus itself.
 * Every write it stores is printed as "write 0xAAAA 0xWWWW ..." with the words
 * as stored, once answered. A write that covers the register REFUSED (hex) is
 * answered with exception 4 and not stored.
 * Usage: libmodbus_slave PATH [ADDRESS [DELAY_MS [BAUD [REFUSED]]]]
 * Prints "ready" once the port is open; runs until SIGTERM or SIGINT. */
#include <errno.h>
#include <modbus.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

enum { kFirst = 0x0100, kCount = 0x0600 };

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

/* The transmitter's own rate code for a baud rate, 7 (19200) for others. */
static uint16_t rate_code(int baud) {
  static const int rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
  for (int i = 0; i < 8; ++i) {
    if (rates[i] == baud) return (uint16_t)(3 + i);
  }
  return 7;
}

static void set(modbus_mapping_t* map, int address, uint16_t value) { map->tab_registers[address - kFirst] = value; }

static void fill(modbus_mapping_t* map, int address, int baud) {
  for (int i = 0; i < 0x100; ++i) map->tab_registers[i] = (uint16_t)(0x1000 + i);
  set(map, 0x0408, (uint16_t)address);
  set(map, 0x0409, rate_code(baud));
  for (int i = 0; i < 8; ++i) set(map, 0x040E + i, 0x2020);
  set(map, 0x0480, 1);
  set(map, 0x0481, 6);
}

/* The register range of a write request (function 16), or 0 for another request. */
static int write_range(modbus_t* ctx, const uint8_t* query, int* start, int* count) {
  const int at = modbus_get_header_length(ctx);
  if (query[at] != 0x10) return 0;
  *start = query[at + 1] << 8 | query[at + 2];
  *count = query[at + 3] << 8 | query[at + 4];
  return 1;
}

static void print_write(const modbus_mapping_t* map, int start, int count) {
  if (start < kFirst || start + count > kFirst + kCount) return;
  printf("write 0x%04X", start);
  for (int i = 0; i < count; ++i) printf(" 0x%04X", map->tab_registers[start - kFirst + i]);
  printf("\n");
  fflush(stdout);
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s PATH [ADDRESS [DELAY_MS [BAUD [REFUSED]]]]\n", argv[0]);
    return 2;
  }
  const int address = argc > 2 ? atoi(argv[2]) : 1;
  const long delay_ms = argc > 3 ? atol(argv[3]) : 0;
  const int baud = argc > 4 ? atoi(argv[4]) : 19200;
  const long refused = argc > 5 ? strtol(argv[5], NULL, 16) : -1;

  struct sigaction sa = {0};
  sa.sa_handler = on_signal;
  sigaction(SIGTERM, &sa, NULL);
  sigaction(SIGINT, &sa, NULL);

  modbus_t* ctx = modbus_new_rtu(argv[1], baud, 'N', 8, 1);
  modbus_mapping_t* map = modbus_mapping_new_start_address(0, 0, 0, 0, kFirst, kCount, 0, 0);
  if (!ctx || !map) return 1;
  fill(map, address, baud);
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
    if (rc <= 0) continue;
    if (delay_ms > 0) sleep_ms(delay_ms);
    int start = 0, count = 0;
    const int writes = write_range(ctx, query, &start, &count);
    if (writes && refused >= start && refused < start + count) {
      modbus_reply_exception(ctx, query, MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE);
    } else if (modbus_reply(ctx, query, rc, map) > 0 && writes) {
      print_write(map, start, count);
    }
  }
}
