program consts()
const
  limit = 3;
  greeting = 'hi';
  half = 0.5;
var i: integer;
  s: string[limit];
begin
  for i := 1 to limit do write(greeting); end;
  writeln;
  s := 'abc';
  writeln(s);
  writeln(round(half * 10));
end.
