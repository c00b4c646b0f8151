program echo()
var name: string[20];
begin
  readln(name);
  writeln('Hello, ', name, '!');
end.
