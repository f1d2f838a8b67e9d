//! Temperature conversion.

/* Both functions are exact
   for whole degrees. */
pub fn c_to_f(c: f64) -> f64 {
    c * 9.0 / 5.0 + 32.0
}

// Inverse of c_to_f.
pub fn f_to_c(f: f64) -> f64 {
    (f - 32.0) * 5.0 / 9.0
}
