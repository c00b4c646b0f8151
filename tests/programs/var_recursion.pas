program var_recursion()
var a, b: integer;
  s, t: string[12];
procedure flip(var x: integer, var y: integer, n: integer)
var tmp: integer;
begin
  tmp := x;
  x := y;
  y := tmp;
  if n > 1 then flip(y, x, n - 1); end;
end;
procedure twist(p: string, q: string, n: integer)
begin
  write(p, q, ' ');
  if n > 0 then twist(q, p, n - 1); end;
end;
procedure join(var u: string, var v: string, n: integer)
begin
  if n > 0 then
    u := u + 'u';
    v := v + 'v';
    join(v, u, n - 1);
  end;
end;
begin
  a := 1; b := 2;
  flip(a, b, 3);
  writeln(a, ' ', b);
  twist('a', 'b', 3);
  writeln;
  s := ''; t := '';
  join(s, t, 4);
  writeln(s, ' ', t);
end.
