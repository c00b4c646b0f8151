program readlines()
var short: string[3];
  name: string[20];
  a, b, c, d, e: integer;
  x: float;
begin
  readln(short);
  writeln('[', short, ']');
  readln(name);
  writeln('[', name, ']');
  readln(a);
  readln(b);
  readln(c);
  writeln(a, ' ', b, ' ', c, ' ', a + b + c);
  readln;
  readln(d);
  writeln(d);
  readln(name);
  writeln('[', name, ']');
  readln(x);
  writeln(x:0:2);
  readln(name);
  writeln('[', name, ']');
  readln(e);
  writeln(e);
end.
