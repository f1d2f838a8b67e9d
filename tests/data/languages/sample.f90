! Mean of an array.
program mean
  implicit none
  real :: values(4) = [1.0, 2.0, 3.0, 4.0]

  ! Sum divided by the count.
  print *, sum(values) / size(values)
end program mean
