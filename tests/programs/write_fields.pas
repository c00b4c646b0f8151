program fields()
var n, m: integer;
  s: string[10];
begin
  write('abc':6);
  writeln('|');
  write('abcdef':3);
  writeln('|');
  write('abc':0);
  writeln('|');
  write(42:5);
  writeln('|');
  write(12345:2);
  writeln('|');
  write(-7:0);
  writeln('|');
  writeln;
  n := -2147483647 - 1;
  m := 42;
  s := 'xy';
  writeln(n, '|', n:12, '|', m:1, '|', m:3, '|', s:3, '|', s:1, '|', s);
  writeln('abc':127, '|');
  writeln('abc':200, '|');
  writeln(7:200, '|');
  writeln('x':300, '|');
  writeln(5:256, '|');
  write('');
  writeln;
  writeln(0, -0, 1 - 1);
end.
