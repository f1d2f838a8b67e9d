/* tokenize.h - splits text into lower-case words. */
#ifndef WORDFREQ_TOKENIZE_H
#define WORDFREQ_TOKENIZE_H

#include <stdio.h>

/* Calls fn with each word of the stream, lower-cased, until end of file.
 * Words longer than max_len are cut. Returns -1 on a read error. */
int tokenize(FILE *in, size_t max_len, int (*fn)(const char *word, void *ctx), void *ctx);

#endif
