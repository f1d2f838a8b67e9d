/* Ring buffer helpers.
 * Fixed capacity, no allocation.
 */
#include <stddef.h>

// Index after i, wrapping at n.
static size_t next_index(size_t i, size_t n) {
  return (i + 1) % n;
}
