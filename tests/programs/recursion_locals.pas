function fact(n: integer): integer
begin
  if n = 0 then return 1; end;
  return n * fact(n - 1);
end;

function fib(n: integer): integer
begin
  if n <= 2 then return 1; end;
  return fib(n - 1) + fib(n - 2);
end;

function build(n: integer): string
var k: integer;
  t: string[30];
  r: string[60];
begin
  k := n * 10;
  t := inttostr(n) + ':';
  if n = 0 then return t; end;
  r := build(n - 1);
  return r + t + inttostr(k) + ' ';
end;

function power(x: float, n: integer): float
var half: float;
begin
  if n = 0 then return 1.0; end;
  half := power(x, n div 2);
  if n mod 2 = 0 then return half * half; end;
  return half * half * x;
end;

function digits(n: integer): string
begin
  if n < 10 then return inttostr(n); end;
  return digits(n div 10) + ',' + inttostr(n mod 10);
end;

program recursion_locals()
var i, depth, calls: integer;
procedure countdown(n: integer)
var s: string[10];
begin
  s := 'L' + inttostr(n);
  if n > 0 then countdown(n - 1); end;
  write(s, ' ');
end;
procedure hanoi(n: integer, src: string, dst: string, via: string)
begin
  if n > 0 then
    hanoi(n - 1, src, via, dst);
    writeln('disc ', n, ' ', src, '->', dst);
    hanoi(n - 1, via, dst, src);
  end;
end;
function nest(): integer
var mine: integer;
begin
  calls := calls + 1;
  depth := depth + 1;
  mine := depth;
  if depth < 5 then return nest() * 10 + mine; end;
  return mine;
end;
function deep(n: integer): integer
begin
  if n = 0 then return 0; end;
  return deep(n - 1) + 1;
end;
begin
  writeln(fact(0), ' ', fact(1), ' ', fact(7), ' ', fact(12));
  for i := 1 to 20 do write(fib(i), ' '); end;
  writeln;
  writeln(build(3), '|');
  writeln(power(2.0, 10):8:1, power(1.5, 3):8:3);
  writeln(digits(90817));
  countdown(3);
  writeln;
  hanoi(3, 'A', 'C', 'B');
  calls := 0;
  for i := 1 to 1000 do
    depth := 0;
    if nest() <> 54321 then writeln('wrong at ', i); end;
  end;
  depth := 0;
  writeln(nest(), ' ', calls);
  writeln(deep(5000));
end.
