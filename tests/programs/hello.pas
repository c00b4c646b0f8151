program hello()
begin
  writeln('Hello, world!');
end.
