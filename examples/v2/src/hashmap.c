/* hashmap.c - separate chaining with FNV-1a hashing. */
#include "hashmap.h"

#include <stdlib.h>
#include <string.h>

static unsigned long hash_word(const char *word) {
  unsigned long h = 2166136261UL;
  for (; *word; ++word) {
    h ^= (unsigned char)*word;
    h *= 16777619UL;
  }
  return h;
}

int hashmap_init(struct hashmap *map, size_t nbuckets) {
  map->buckets = calloc(nbuckets, sizeof *map->buckets);
  if (map->buckets == NULL) return -1;
  map->nbuckets = nbuckets;
  map->size = 0;
  return 0;
}

void hashmap_free(struct hashmap *map) {
  for (size_t i = 0; i < map->nbuckets; ++i) {
    struct entry *e = map->buckets[i];
    while (e != NULL) {
      struct entry *next = e->next;
      free(e->word);
      free(e);
      e = next;
    }
  }
  free(map->buckets);
  map->buckets = NULL;
  map->nbuckets = 0;
  map->size = 0;
}

/* Doubles the bucket array and moves every entry to its new bucket.
 * The entries themselves are reused, so growing never fails half-way. */
static int grow(struct hashmap *map) {
  size_t n = map->nbuckets * 2;
  struct entry **buckets = calloc(n, sizeof *buckets);
  if (buckets == NULL) return -1;
  for (size_t i = 0; i < map->nbuckets; ++i) {
    struct entry *e = map->buckets[i];
    while (e != NULL) {
      struct entry *next = e->next;
      size_t b = hash_word(e->word) % n;
      e->next = buckets[b];
      buckets[b] = e;
      e = next;
    }
  }
  free(map->buckets);
  map->buckets = buckets;
  map->nbuckets = n;
  return 0;
}

int hashmap_increment(struct hashmap *map, const char *word) {
  size_t b = hash_word(word) % map->nbuckets;
  for (struct entry *e = map->buckets[b]; e != NULL; e = e->next) {
    if (strcmp(e->word, word) == 0) {
      e->count++;
      return 0;
    }
  }
  struct entry *e = malloc(sizeof *e);
  if (e == NULL) return -1;
  e->word = strdup(word);
  if (e->word == NULL) {
    free(e);
    return -1;
  }
  e->count = 1;
  e->next = map->buckets[b];
  map->buckets[b] = e;
  map->size++;
  // Keep chains short: grow once there are more words than buckets.
  if (map->size > map->nbuckets) return grow(map);
  return 0;
}

struct entry *hashmap_entries(const struct hashmap *map) {
  struct entry *all = malloc((map->size + 1) * sizeof *all);
  if (all == NULL) return NULL;
  size_t k = 0;
  for (size_t i = 0; i < map->nbuckets; ++i) {
    for (struct entry *e = map->buckets[i]; e != NULL; e = e->next) all[k++] = *e;
  }
  return all;
}
