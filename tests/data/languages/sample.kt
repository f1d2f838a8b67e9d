package demo

/**
 * Word counts of a text.
 */
fun wordCounts(text: String): Map<String, Int> =
    text.split(Regex("\\s+"))
        .filter { it.isNotEmpty() }
        // Case does not matter.
        .groupingBy { it.lowercase() }
        .eachCount()
