#!/usr/bin/perl
use strict;
use warnings;

=pod

Prints each line with its number.

=cut

my $n = 0;
while (my $line = <STDIN>) {
    # Count from one.
    printf "%4d %s", ++$n, $line;
}
