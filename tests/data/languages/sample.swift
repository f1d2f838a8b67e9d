import Foundation

/* A stopwatch that reports
   elapsed seconds. */
struct Stopwatch {
    private let start = Date()

    // Seconds since creation.
    var elapsed: TimeInterval { Date().timeIntervalSince(start) }
}
