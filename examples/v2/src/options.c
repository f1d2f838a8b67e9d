/* options.c - parses and checks wordfreq's options. */
#include "options.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static void usage(const char *program) {
  fprintf(stderr, "usage: %s [-n COUNT] [-m LENGTH] [FILE]...\n", program);
}

// A whole number in [low, high], or -1 when the text is anything else.
static long parse_number(const char *text, long low, long high) {
  char *end;
  errno = 0;
  long value = strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0') return -1;
  if (value < low || value > high) return -1;
  return value;
}

int parse_options(int argc, char **argv, struct options *opts) {
  opts->top = 10;
  opts->min_len = 1;
  int opt;
  while ((opt = getopt(argc, argv, "n:m:")) != -1) {
    switch (opt) {
      case 'n':
        opts->top = parse_number(optarg, 1, 1000000);
        if (opts->top < 0) {
          fprintf(stderr, "%s: bad count: %s\n", argv[0], optarg);
          return -1;
        }
        break;
      case 'm':
        opts->min_len = (int)parse_number(optarg, 1, 64);
        if (opts->min_len < 0) {
          fprintf(stderr, "%s: bad length: %s\n", argv[0], optarg);
          return -1;
        }
        break;
      default:
        usage(argv[0]);
        return -1;
    }
  }
  opts->first_file = optind;
  return 0;
}
