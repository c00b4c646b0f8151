program rep()
var n, steps: integer;
begin
  n := 27;
  steps := 0;
  repeat
    if n mod 2 = 0 then n := n div 2; else n := 3 * n + 1; end;
    steps := steps + 1;
  until n = 1;
  writeln(steps);
end.
