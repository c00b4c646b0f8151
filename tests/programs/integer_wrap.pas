program intwrap()
var a, b, r, big, m: integer;
begin
  big := 2147483647;
  r := big + 1;
  writeln(r);
  r := r - 1;
  writeln(r);
  r := big * 2;
  writeln(r);
  a := 65536;
  r := a * a;
  writeln(r);
  a := 0 - 3;
  r := a * 4;
  writeln(r);
  a := 100000;
  r := a * a;
  writeln(r);
  a := -7;
  b := 2;
  writeln(a div b, ' ', a mod b);
  a := 7;
  b := -2;
  writeln(a div b, ' ', a mod b);
  a := -7;
  b := -2;
  writeln(a div b, ' ', a mod b);
  a := 7;
  b := 2;
  writeln(a div b, ' ', a mod b);
  a := -6;
  b := 3;
  writeln(a div b, ' ', a mod b);
  writeln(-7 div 2, ' ', -7 mod 2);
  writeln(1 - 2 - 3);
  writeln(2 + 3 * 4);
end.
