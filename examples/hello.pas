program hello()
var
  name: string[40];
  i: integer;
begin
  writeln('Hello from Tarnwell!');
  i := 1;
  while i <= 3 do
    writeln('line ', i);
    i := i + 1;
  end;
end.
