program varparams()
var x, y, total: integer;
  s: string[5];
procedure swap(var a: integer, var b: integer)
var t: integer;
begin
  t := a;
  a := b;
  b := t;
end;
procedure add(var sum: integer, n: integer)
begin
  sum := sum + n;
end;
procedure count(var sum: integer, n: integer)
begin
  if n > 0 then
    add(sum, n);
    count(sum, n - 1);
  end;
end;
procedure depth(var d: integer, n: integer)
var mine: integer;
begin
  mine := 0;
  if n > 0 then depth(mine, n - 1); end;
  d := mine + 1;
end;
procedure fill(var t: string)
begin
  t := 'abcdefgh';
end;
begin
  x := 1;
  y := 2;
  swap(x, y);
  writeln(x, ' ', y);
  total := 0;
  count(total, 4);
  writeln(total);
  depth(total, 2);
  writeln(total);
  fill(s);
  writeln(s);
end.
