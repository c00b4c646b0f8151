function fact(n: integer): integer
begin
  if n <= 1 then return 1; end;
  return n * fact(n - 1);
end;

function fib(n: integer): integer
begin
  if n < 2 then return n; end;
  return fib(n - 1) + fib(n - 2);
end;

function ack(m: integer, n: integer): integer
begin
  if m = 0 then return n + 1; end;
  if n = 0 then return ack(m - 1, 1); end;
  return ack(m - 1, ack(m, n - 1));
end;

function rep(n: integer): string
var s: string[10];
begin
  s := 'ab';
  if n = 1 then return s; end;
  return rep(n - 1) + s;
end;

program recursion_deep()
var moves, left: integer;
procedure hanoi(n: integer, a: integer, b: integer, c: integer)
begin
  if n > 0 then
    hanoi(n - 1, a, c, b);
    moves := moves + 1;
    write(a, '>', b, ' ');
    hanoi(n - 1, c, b, a);
  end;
end;
function down(): integer
var mine: integer;
begin
  mine := left;
  if left = 0 then return 0; end;
  left := left - 1;
  return down() + mine;
end;
begin
  writeln(fact(5));
  writeln(fib(20));
  writeln(ack(2, 3));
  writeln(rep(3));
  moves := 0;
  hanoi(3, 1, 3, 2);
  writeln;
  writeln(moves);
  left := 4;
  writeln(down());
end.
