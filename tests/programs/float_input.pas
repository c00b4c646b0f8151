program float_input()
var x, sum: float;
  i: integer;
begin
  sum := 0;
  for i := 1 to 2 do
    readln(x);
    writeln(x:8:2, '|');
    sum := sum + x;
  end;
  writeln(sum:8:2, '|');
  readln(x);
  writeln(x, ' ', trunc(x));
  if x = 123456700.0 then writeln('seven digits kept'); end;
  readln(x);
  writeln(x:6:2);
  readln(x);
  writeln(x:6:3);
end.
