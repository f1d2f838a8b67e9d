/* tokenize.c - a word is a run of letters and digits; an apostrophe between
 * two letters ("don't") belongs to the word. */
#include "tokenize.h"

#include <ctype.h>
#include <stdlib.h>

int tokenize(FILE *in, size_t min_len, size_t max_len,
             int (*fn)(const char *word, void *ctx), void *ctx) {
  char *word = malloc(max_len + 1);
  if (word == NULL) return -1;
  size_t len = 0;
  int c;
  while ((c = fgetc(in)) != EOF) {
    if (isalnum(c)) {
      if (len < max_len) word[len++] = (char)tolower(c);
      continue;
    }
    if (c == '\'' && len > 0) {
      int next = fgetc(in);
      if (next != EOF) ungetc(next, in);
      if (isalpha(next) && len < max_len) {
        word[len++] = '\'';
        continue;
      }
    }
    if (len >= min_len) {
      word[len] = '\0';
      if (fn(word, ctx) != 0) break;
    }
    len = 0;
  }
  if (len >= min_len && len > 0) {
    word[len] = '\0';
    fn(word, ctx);
  }
  free(word);
  return ferror(in) ? -1 : 0;
}
