program reentry()
type
  pt = record
    x, y: integer;
    tag: string[4];
  end;
  vec = array [1..3] of integer;
var g: vec;
  q: pt;

  procedure down(d: integer)
  var a: vec;
    r: pt;
    i: integer;
  begin
    for i := 1 to 3 do a[i] := d * 10 + i; end;
    r.x := d;
    r.y := d * d;
    r.tag := inttostr(d * 111);
    if d < 3 then down(d + 1); end;
    writeln(d, ': ', a[1], ' ', a[2], ' ', a[3], ' ', r.x, ' ', r.y, ' ', r.tag);
  end;

  function sumvec(var v: vec, k: integer): integer
  begin
    if k = 0 then return 0; end;
    return v[k] + sumvec(v, k - 1);
  end;

  function depth(var p: pt, n: integer): integer
  var mine: pt;
  begin
    mine.x := n;
    if n < 4 then p.y := depth(p, n + 1); end;
    p.x := p.x + mine.x;
    return mine.x * 10;
  end;

begin
  down(1);
  g[1] := 1;
  g[2] := 20;
  g[3] := 300;
  writeln(sumvec(g, 3));
  q.x := 0;
  writeln(depth(q, 1), ' ', q.x, ' ', q.y);
end.
