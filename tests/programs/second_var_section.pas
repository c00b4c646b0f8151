program twovars()
var a: integer;
procedure show(n: integer)
begin
  writeln(n);
end;
var b: integer;
begin
  a := 2;
  b := 3;
  show(a * b);
end.
