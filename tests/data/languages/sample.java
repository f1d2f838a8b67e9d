package demo;

/**
 * Keeps the largest value seen.
 */
public final class Max {
  private int best = Integer.MIN_VALUE;

  // Offers a value.
  public void offer(int v) {
    if (v > best) best = v;
  }
}
