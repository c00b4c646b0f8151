program arrs()
var a: array [1..5] of integer;
  i, total: integer;
begin
  for i := 1 to 5 do a[i] := i * i; end;
  total := 0;
  for i := 1 to 5 do total := total + a[i]; end;
  writeln(total);
  writeln(a[3]);
end.
