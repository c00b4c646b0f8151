program manylines()
var line: string[20];
  n, total: integer;
begin
  n := 0;
  total := 0;
  readln(line);
  while length(line) > 0 do
    n := n + 1;
    total := total + length(line);
    readln(line);
  end;
  writeln(n, ' lines, ', total, ' chars, last read [', line, ']');
end.
