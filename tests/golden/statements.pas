program forms()
label done, again;
var i, n, total: integer;
  f: float;
  s: string[20];
  a: array [1..5] of integer;
  m: array [1..2, 1..3] of integer;
begin
  if n > 0 then total := 1; else total := 2; end;
  for i := 1 to 5 do total := total + a[i]; end;
  repeat n := n - 1; until n = 0;
  m[2, 3] := a[1];
  readln;
  readln(n);
  readln(a[2]);
  readln(m[1, 2]);
  write(f:8:2, ' ', n:4);
  writeln(s);
  writeln;
  again: n := n + 1;
  if n < 3 then goto again; end;
  goto done;
  done: ;
end.
