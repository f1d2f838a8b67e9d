# Greet everyone on the command line.
proc greet {name} {
    puts "Hello, $name"
}

foreach who $argv {
    # One line each.
    greet $who
}
