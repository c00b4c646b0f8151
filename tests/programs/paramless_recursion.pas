program paramless_recursion()
var left, total, i: integer;
  path: string[40];
procedure walk()
var mine: integer;
  here: string[4];
begin
  mine := left;
  here := inttostr(mine);
  if left > 0 then
    left := left - 1;
    walk();
  end;
  total := total + mine;
  path := path + here;
end;
function ticks(): string
var mark: string[3];
begin
  mark := '*';
  if left = 0 then return mark; end;
  left := left - 1;
  return ticks() + mark + inttostr(left);
end;
begin
  for i := 1 to 3000 do
    left := 3;
    total := 0;
    path := '';
    walk();
  end;
  writeln(total, ' ', path);
  left := 3;
  writeln(ticks());
end.
