program bsort()
var a: array [1..8] of integer = 5, 3, 8, 1, 9, 2, 7, 4;
  i, j, t: integer;
begin
  for i := 1 to 7 do
    for j := 1 to 8 - i do
      if a[j] > a[j + 1] then
        t := a[j];
        a[j] := a[j + 1];
        a[j + 1] := t;
      end;
    end;
  end;
  for i := 1 to 8 do write(a[i], ' '); end;
  writeln;
end.
