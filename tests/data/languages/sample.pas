program Squares;

{ Prints the squares
  of one to five. }
var
  i: Integer;
begin
  // One square a line.
  for i := 1 to 5 do
    WriteLn(i * i);
end.
