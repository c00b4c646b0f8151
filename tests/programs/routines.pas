procedure p0()
begin
  writeln('p0');
end;

procedure p1(a: integer)
begin
  writeln('p1 ', a);
end;

procedure p2(a: integer, b: float)
begin
  writeln('p2 ', a, ' ', b:5:2);
end;

procedure p3(a: string, b: integer, c: float)
begin
  writeln('p3 ', a, ' ', b, ' ', c:6:3);
end;

procedure p4(a: integer, b: integer, c: integer, d: integer)
begin
  writeln('p4 ', a * 1000 + b * 100 + c * 10 + d);
end;

procedure f4(a: float, b: float, c: float, d: float)
var sum: float;
begin
  sum := a + b + c + d;
  writeln('f4 ', sum:6:2);
end;

procedure s4(a: string, b: string, c: string, d: string)
begin
  writeln('s4 ', d, c, b, a);
end;

procedure mixed(s: string, f: float, n: integer, t: string)
begin
  writeln('mixed ', s, f:5:1, n, t);
end;

function answer(): integer
begin
  return 42;
end;

function half(): float
begin
  return 0.5;
end;

function greeting(): string
begin
  return 'hi';
end;

function area(w: integer, h: integer): integer
begin
  return w * h;
end;

function scaled(x: float, k: integer): float
begin
  return x * k;
end;

function times(s: string, n: integer): string
var r: string[40];
  i: integer;
begin
  r := s;
  for i := 2 to n do r := r + s; end;
  return r;
end;

function grade(n: integer): string
begin
  if n >= 90 then return 'A'; end;
  if n >= 50 then return 'B'; end;
  return 'C';
end;

function clip(x: float): float
begin
  if x > 10 then return 10.0; end;
  return x;
end;

function sign(n: integer): integer
begin
  if n < 0 then return -1; end;
  if n = 0 then return 0; end;
  return 1;
end;

procedure swap(var a: integer, var b: integer)
var t: integer;
begin
  t := a;
  a := b;
  b := t;
end;

procedure scale(var x: float, k: float)
begin
  x := x * k;
end;

procedure shout(var s: string)
begin
  s := s + '!';
end;

procedure bump(var n: integer)
begin
  n := n + 1;
end;

procedure bump2(var n: integer)
begin
  bump(n);
  writeln('inside ', n);
  bump(n);
end;

procedure bump4(var n: integer)
begin
  bump2(n);
  bump2(n);
end;

procedure halve(var f: float)
begin
  f := f / 2;
end;

procedure quarter(var f: float)
begin
  halve(f);
  halve(f);
end;

procedure addx(var s: string)
begin
  s := s + 'x';
end;

procedure addxx(var s: string)
begin
  addx(s);
  addx(s);
end;

procedure order(var lo: integer, var hi: integer)
begin
  if lo > hi then swap(lo, hi); end;
end;

program routines()
var x, y, n: integer;
  f: float;
  s: string[12];
  word: string[3];
begin
  p0();
  p1(7);
  p2(3, 1.5);
  p3('abc', -4, 2.25);
  p4(1, 2, 3, 4);
  f4(0.5, 0.25, 1.0, 2.0);
  s4('a', 'b', 'c', 'd');
  mixed('<', 0.5, 3, '>');
  writeln(answer() + 1, ' ', half():4:2, ' ', greeting());
  writeln(area(6, 7), ' ', scaled(1.25, 4):5:2, ' ', times('ab', 3));
  writeln(grade(95), grade(60), grade(10));
  writeln(clip(12.5):5:1, clip(2.5):5:1);
  writeln(sign(-5), ' ', sign(0), ' ', sign(9));
  x := 1;
  y := 2;
  swap(x, y);
  writeln('swap ', x, ' ', y);
  f := 3.0;
  scale(f, 1.5);
  writeln('scale ', f:6:2);
  s := 'hey';
  shout(s);
  shout(s);
  writeln('shout ', s);
  n := 10;
  bump4(n);
  writeln('bump4 ', n);
  f := 10.0;
  quarter(f);
  writeln('quarter ', f:6:2);
  s := 'a';
  addxx(s);
  addxx(s);
  writeln('addxx ', s);
  word := 'ab';
  addxx(word);
  writeln('cut ', word, '|');
  x := 9;
  y := 4;
  order(x, y);
  writeln('order ', x, ' ', y);
  order(x, y);
  writeln('order ', x, ' ', y);
end.
