program arith()
var a, b: integer;
begin
  a := 17;
  b := 5;
  writeln(a + b);
  writeln(a - b);
  writeln(a * b);
  writeln(a div b);
  writeln(a mod b);
  writeln(a + b * 2);
  writeln((a + b) * 2);
  writeln(a - b - 2);
end.
