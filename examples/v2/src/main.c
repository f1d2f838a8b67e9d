/* main.c - wordfreq: prints the most frequent words of its input files.
 *
 * Usage: wordfreq [-n COUNT] [-m LENGTH] [FILE]...
 * With no file, reads standard input.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "hashmap.h"
#include "options.h"
#include "tokenize.h"

#define MAX_WORD 64

struct counter {
  struct hashmap map;
  size_t min_len;
};

static int count_word(const char *word, void *ctx) {
  struct counter *counter = ctx;
  return hashmap_increment(&counter->map, word);
}

// Most frequent first; ties in alphabetical order.
static int by_count(const void *a, const void *b) {
  const struct entry *x = a;
  const struct entry *y = b;
  if (x->count != y->count) return x->count < y->count ? 1 : -1;
  return strcmp(x->word, y->word);
}

static int count_file(struct counter *counter, const char *path) {
  FILE *in = strcmp(path, "-") == 0 ? stdin : fopen(path, "r");
  if (in == NULL) {
    perror(path);
    return -1;
  }
  int result = tokenize(in, counter->min_len, MAX_WORD, count_word, counter);
  if (in != stdin) fclose(in);
  return result;
}

int main(int argc, char **argv) {
  struct options opts;
  if (parse_options(argc, argv, &opts) != 0) return 2;

  struct counter counter = {.min_len = (size_t)opts.min_len};
  if (hashmap_init(&counter.map, 256) != 0) return 1;
  int status = 0;
  if (opts.first_file == argc) {
    status = count_file(&counter, "-");
  } else {
    for (int i = opts.first_file; i < argc; ++i) {
      if (count_file(&counter, argv[i]) != 0) status = 1;
    }
  }

  struct entry *all = hashmap_entries(&counter.map);
  if (all == NULL) {
    hashmap_free(&counter.map);
    return 1;
  }
  qsort(all, counter.map.size, sizeof *all, by_count);
  for (size_t i = 0; i < counter.map.size && (long)i < opts.top; ++i) {
    printf("%7ld %s\n", all[i].count, all[i].word);
  }
  free(all);
  hashmap_free(&counter.map);
  return status;
}
