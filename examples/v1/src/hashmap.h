/* hashmap.h - a map from words to counts.
 *
 * Keys are copied on insertion; the map owns them.
 */
#ifndef WORDFREQ_HASHMAP_H
#define WORDFREQ_HASHMAP_H

#include <stddef.h>

struct entry {
  char *word;
  long count;
  struct entry *next;
};

struct hashmap {
  struct entry **buckets;
  size_t nbuckets;
  size_t size;
};

int hashmap_init(struct hashmap *map, size_t nbuckets);
void hashmap_free(struct hashmap *map);
/* Adds one to the count of word, inserting it when new. */
int hashmap_increment(struct hashmap *map, const char *word);
/* Copies every entry into a new array; the caller frees it. */
struct entry *hashmap_entries(const struct hashmap *map);

#endif
