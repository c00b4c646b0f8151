program floats()
var x, y: float;
begin
  x := 1.5;
  y := x * 4 + 0.25;
  writeln(round(y * 100));
  writeln(trunc(sqrt(16.0)));
  writeln(round(abs(-2.5) * 2));
end.
