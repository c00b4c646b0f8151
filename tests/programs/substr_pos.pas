program subs()
var s: string[20];
begin
  s := 'hello';
  writeln(substr(s, 2, 3));
  writeln(substr(s, 4, 10));
  writeln(pos('lo', s));
  writeln(pos('xyz', s));
  writeln('[', substr(s, 6, 1), ']');
end.
