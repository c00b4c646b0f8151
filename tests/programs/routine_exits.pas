function find(s: string, ch: string): integer
var i: integer;
begin
  for i := 1 to length(s) do
    if substr(s, i, 1) = ch then return i; end;
  end;
  return 0;
end;

function name_of(n: integer): string
begin
  case n of
    1: do return 'one'; end;
    2..3: do return 'few'; end;
    else do return 'lots'; end;
  end;
  return 'never';
end;

function firstpow(limit: integer): integer
label done;
var p: integer;
begin
  p := 1;
  repeat
    p := p * 2;
    if p > limit then goto done; end;
  until p > 100000;
done:
  return p;
end;

function halving(x: float, var steps: integer): float
begin
  steps := steps + 1;
  if x < 1 then return x; end;
  return halving(x / 2, steps);
end;

procedure all4(var a: integer, var b: float, var c: string, var d: integer)
begin
  a := a + 1;
  b := b * 2;
  c := c + c;
  d := a * 10;
end;

program routine_exits()
var k, m: integer;
  f: float;
  s: string[16];
begin
  writeln(find('pascal', 's'), find('pascal', 'z'), find('pascal', 'l'));
  writeln(name_of(1), ' ', name_of(3), ' ', name_of(9));
  writeln(firstpow(1000), ' ', firstpow(1));
  k := 0;
  f := halving(40.0, k);
  writeln(f:6:3, ' ', k);
  k := 1; f := 1.25; s := 'ab'; m := 0;
  all4(k, f, s, m);
  all4(k, f, s, m);
  writeln(k, ' ', f:5:2, ' ', s, ' ', m);
end.
