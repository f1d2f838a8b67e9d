/* options.h - the command line of wordfreq. */
#ifndef WORDFREQ_OPTIONS_H
#define WORDFREQ_OPTIONS_H

struct options {
  long top;      /* how many words to print */
  int min_len;   /* shorter words are not counted */
  int first_file; /* index in argv of the first file; argc when none */
};

/* Fills opts from argv. Returns 0, or -1 after printing a usage message. */
int parse_options(int argc, char **argv, struct options *opts);

#endif
