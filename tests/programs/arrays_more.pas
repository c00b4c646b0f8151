program arrays2()
type
  row = array [1..4] of integer;
var a: array [1..3, 1..4] of integer;
  f: array [1..4] of float;
  g: array [1..2, 1..3] of float;
  s: array [1..3] of string[4];
  t: array [1..2, 1..2] of string[5];
  w: array [1..3] of float = 1.5, 2, 0.25;
  m: array [1..2, 1..2] of integer = 1, 2, 3, 4;
  v: row;
  i, j, k: integer;
  x: float;

  procedure fill(var r: row, base: integer)
  var i: integer;
  begin
    for i := 1 to 4 do r[i] := base + i; end;
  end;

  function sum4(r: row): integer
  var i, total: integer;
  begin
    total := 0;
    for i := 1 to 4 do total := total + r[i]; end;
    return total;
  end;

begin
  k := 0;
  for i := 1 to 3 do
    for j := 1 to 4 do
      k := k + 1;
      a[i, j] := k;
    end;
  end;
  writeln(a[2, 3], ' ', a[3, 4], ' ', a[1, 1]);
  readln(a[1, 2]);
  writeln(a[1, 2], ' ', a[1, 3]);
  f[1] := 100000;
  f[2] := -70000;
  f[3] := 2.5;
  k := 40000;
  f[4] := k;
  for i := 1 to 4 do write(f[i]:10:1); end;
  writeln;
  for i := 1 to 2 do
    for j := 1 to 3 do g[i, j] := i + j / 4; end;
  end;
  x := 0;
  for i := 1 to 2 do
    for j := 1 to 3 do x := x + g[i, j]; end;
  end;
  writeln(g[2, 3]:5:2, x:7:2);
  s[1] := 'abcdefg';
  s[2] := 'xy';
  s[3] := s[2] + s[1];
  for i := 1 to 3 do write('[', s[i], ']'); end;
  writeln(length(s[1]));
  t[2, 1] := 'hello!';
  t[1, 2] := 'ab';
  writeln(t[2, 1], '-', t[1, 2], '-[', t[1, 1], ']');
  writeln(w[1]:5:2, w[2]:5:2, w[3]:5:2, ' ', m[2, 1], m[1, 2]);
  fill(v, 10);
  writeln(sum4(v), ' ', v[4]);
end.
