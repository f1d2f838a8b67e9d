# Summary of a numeric column.
describe <- function(x) {
  # Missing values are dropped.
  x <- x[!is.na(x)]
  c(mean = mean(x), sd = sd(x))
}

print(describe(c(1, 2, NA, 4)))
