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

program recur()
begin
  writeln(fact(10));
  writeln(fib(15));
end.
