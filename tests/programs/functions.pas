function square(x: integer): integer
begin
  return x * x;
end;

function max(a: integer, b: integer): integer
begin
  if a > b then return a; end;
  return b;
end;

function twice(s: string): string
begin
  return s + s;
end;

program funcs()
begin
  writeln(square(7));
  writeln(max(3, 9), ' ', max(9, 3));
  writeln(twice('ab'));
  writeln(square(max(2, 4)) + 1);
end.
