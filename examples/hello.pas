{ hello: the smallest complete program. Teaches: the program heading,
  a var section, writeln, assignment and a while loop closed by its own end. }
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
