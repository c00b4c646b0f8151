function fact(n: integer): integer
begin
  if n <= 1 then return 1; end;
  return n * fact(n - 1);
end;

function greet(s: string): string
begin
  return 'hi ' + s;
end;

procedure swap(var x: integer, var y: integer, f: float)
var t: integer;
begin
  t := x;
  x := y;
  y := t;
end;

program calls()
type
  point = record x, y: integer; name: string[10]; end;
  ppoint = ^point;
  vec = array [1..3] of integer;
var
  a, b: integer;
  s: string[30];
  p, q: ppoint;
  r: point;
  v: vec;
  pts: array [1..4] of point;
  procedure setx(var target: ppoint, value: integer)
  begin
    target^.x := value;
  end;
  procedure movep(var target: ppoint)
  begin
    setx(target, 5);
  end;
  function total(w: vec): integer
  begin
    return w[1] + w[2] + w[3];
  end;
begin
  swap(a, b, 1.5);
  a := fact(5) + length(greet('bob'));
  s := substr(greet('x'), 1, 2) + inttostr(pos('lo', 'hello'));
  new(p);
  setx(p, 3);
  movep(p);
  q := p;
  q := nil;
  if p = nil then a := 0; end;
  if nil != p then a := 1; end;
  r.name := 'origin';
  pts[2].y := r.x + p^.y;
  p^.name := r.name;
  a := total(v);
  a := pts[1].x;
  free(p);
  clrscr();
end.
