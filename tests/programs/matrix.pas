program matrix()
var m: array [1..3, 1..3] of integer;
  i, j: integer;
begin
  for i := 1 to 3 do
    for j := 1 to 3 do
      m[i, j] := i * 10 + j;
    end;
  end;
  for i := 1 to 3 do
    for j := 1 to 3 do write(m[i, j]:4); end;
    writeln;
  end;
end.
