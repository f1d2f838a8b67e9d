// Running average of a stream of numbers.
final class Average {
  private var sum = 0.0
  private var count = 0

  /* Adds one sample;
     returns the new average. */
  def add(x: Double): Double = {
    sum += x
    count += 1
    sum / count
  }
}
