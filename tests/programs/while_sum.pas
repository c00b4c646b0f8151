program wsum()
var i, total: integer;
begin
  i := 1;
  total := 0;
  while i <= 100 do
    total := total + i;
    i := i + 1;
  end;
  writeln(total);
end.
