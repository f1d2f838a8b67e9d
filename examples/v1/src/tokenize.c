/* tokenize.c - a word is a run of letters and digits. */
#include "tokenize.h"

#include <ctype.h>
#include <stdlib.h>

int tokenize(FILE *in, size_t max_len, int (*fn)(const char *word, void *ctx), void *ctx) {
  char *word = malloc(max_len + 1);
  if (word == NULL) return -1;
  size_t len = 0;
  int c;
  while ((c = fgetc(in)) != EOF) {
    if (isalnum(c)) {
      if (len < max_len) word[len++] = (char)tolower(c);
      continue;
    }
    if (len > 0) {
      word[len] = '\0';
      len = 0;
      if (fn(word, ctx) != 0) break;
    }
  }
  if (len > 0) {
    word[len] = '\0';
    fn(word, ctx);
  }
  free(word);
  return ferror(in) ? -1 : 0;
}
