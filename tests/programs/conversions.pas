program conv()
var n: integer;
  s: string[20];
begin
  n := strtoint('123') + 1;
  writeln(n);
  s := inttostr(n * 2) + '!';
  writeln(s);
  writeln(round(2.6), ' ', trunc(2.6));
end.
