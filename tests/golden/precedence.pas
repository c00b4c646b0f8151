program prec()
var a, b, c, x: integer;
  f: float;
  ok: integer;
begin
  x := a + b * c;
  x := a - b - c;
  x := -a * b;
  f := (a + b) / c;
  x := a mod b div c;
  if not a < b and b = c or c > 0 then ok := 1; end;
  if (a < b) and (b <> c) then ok := 2; end;
end.
