/* An independent Modbus TCP server built on libmodbus, for testing the master
 * against a peer nobody here wrote. Holding registers 0x0100..0x01FF start as
 * 0x1000 + offset; any other address gets exception 2 from libmodbus itself.
 * It listens on 127.0.0.1 at a free port and prints "ready PORT".
 * Usage: libmodbus_tcp_server [serve|close|silent]
 *   serve   answers every request (the default)
 *   close   reads each request and closes the connection without an answer
 *   silent  reads each request and never answers
 * Runs until SIGTERM or SIGINT. */
#include <arpa/inet.h>
#include <errno.h>
#include <modbus.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

static void on_signal(int sig) {
  (void)sig;
  _exit(0);
}

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "serve";
  if (strcmp(mode, "serve") != 0 && strcmp(mode, "close") != 0 && strcmp(mode, "silent") != 0) {
    fprintf(stderr, "usage: %s [serve|close|silent]\n", argv[0]);
    return 2;
  }
  struct sigaction sa = {0};
  sa.sa_handler = on_signal;
  sigaction(SIGTERM, &sa, NULL);
  sigaction(SIGINT, &sa, NULL);

  modbus_t* ctx = modbus_new_tcp("127.0.0.1", 0);
  modbus_mapping_t* map = modbus_mapping_new_start_address(0, 0, 0, 0, 0x0100, 0x100, 0, 0);
  if (!ctx || !map) return 1;
  for (int i = 0; i < 0x100; ++i) map->tab_registers[i] = (uint16_t)(0x1000 + i);
  const int server = modbus_tcp_listen(ctx, 1);
  struct sockaddr_in a;
  socklen_t len = sizeof a;
  if (server < 0 || getsockname(server, (struct sockaddr*)&a, &len) != 0) {
    fprintf(stderr, "cannot listen: %s\n", modbus_strerror(errno));
    return 1;
  }
  printf("ready %u\n", (unsigned)ntohs(a.sin_port));
  fflush(stdout);

  uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
  int listening = server;
  for (;;) {
    const int client = modbus_tcp_accept(ctx, &listening);
    if (client < 0) continue;
    for (;;) {
      const int rc = modbus_receive(ctx, query);
      if (rc < 0) break; /* the master closed the connection */
      if (rc == 0) continue;
      if (strcmp(mode, "close") == 0) break;
      if (strcmp(mode, "serve") == 0) modbus_reply(ctx, query, rc, map);
    }
    close(client);
    modbus_set_socket(ctx, -1);
  }
}
