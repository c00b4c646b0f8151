program widths()
var n: integer;
  s: string[10];
begin
  n := 42;
  s := 'ab';
  writeln(n:5, '|');
  writeln(s:4, '|');
  writeln('abcdef':3, '|');
  writeln(n:1);
end.
