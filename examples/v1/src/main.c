/* main.c - wordfreq: prints the most frequent words of its input files.
 *
 * Usage: wordfreq [-n COUNT] [FILE]...
 * With no file, reads standard input.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "hashmap.h"
#include "tokenize.h"

#define MAX_WORD 64

static int count_word(const char *word, void *ctx) {
  return hashmap_increment(ctx, word);
}

// Most frequent first; ties in alphabetical order.
static int by_count(const void *a, const void *b) {
  const struct entry *x = a;
  const struct entry *y = b;
  if (x->count != y->count) return x->count < y->count ? 1 : -1;
  return strcmp(x->word, y->word);
}

static int count_file(struct hashmap *map, const char *path) {
  FILE *in = strcmp(path, "-") == 0 ? stdin : fopen(path, "r");
  if (in == NULL) {
    perror(path);
    return -1;
  }
  int result = tokenize(in, MAX_WORD, count_word, map);
  if (in != stdin) fclose(in);
  return result;
}

int main(int argc, char **argv) {
  long top = 10;
  int opt;
  while ((opt = getopt(argc, argv, "n:")) != -1) {
    if (opt == 'n') {
      top = strtol(optarg, NULL, 10);
    } else {
      fprintf(stderr, "usage: %s [-n COUNT] [FILE]...\n", argv[0]);
      return 2;
    }
  }

  struct hashmap map;
  if (hashmap_init(&map, 256) != 0) return 1;
  int status = 0;
  if (optind == argc) {
    status = count_file(&map, "-");
  } else {
    for (int i = optind; i < argc; ++i) {
      if (count_file(&map, argv[i]) != 0) status = 1;
    }
  }

  struct entry *all = hashmap_entries(&map);
  if (all == NULL) return 1;
  qsort(all, map.size, sizeof *all, by_count);
  for (size_t i = 0; i < map.size && (long)i < top; ++i) {
    printf("%7ld %s\n", all[i].count, all[i].word);
  }
  free(all);
  hashmap_free(&map);
  return status;
}
