procedure line(n: integer)
var i: integer;
begin
  for i := 1 to n do write('*'); end;
  writeln;
end;

procedure greet(name: string)
begin
  writeln('Hello, ', name);
end;

program procs()
begin
  line(3);
  greet('Ann');
  line(5);
end.
