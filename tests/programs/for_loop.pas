program forloop()
var i: integer;
begin
  for i := 1 to 5 do
    write(i, ' ');
  end;
  writeln;
  for i := 3 to 2 do
    writeln('never');
  end;
  writeln(i);
end.
