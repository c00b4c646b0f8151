program neg()
var a, b: integer;
begin
  a := 6;
  b := 7;
  writeln(-a * b + 50);
  writeln(10 - -a);
end.
