program var_formal_reads()
var n: integer;
  f: float;
  s: string[10];
procedure show(var a: integer, var b: float, var c: string)
begin
  writeln(a:4, '|', b:7:3, '|', c:5, '|', b, '|', floattostr(b), '|', inttostr(a), '|', length(c));
  if c = 'ab' then writeln('eq'); end;
  b := b + a;
  writeln(round(b), ' ', trunc(b * 2), ' ', substr(c, 2, 1));
end;
begin
  n := 7;
  f := 1.25;
  s := 'ab';
  show(n, f, s);
  writeln(f:6:2);
end.
