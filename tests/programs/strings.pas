program strs()
var s, t: string[40];
begin
  s := 'Hello';
  t := s + ', ' + 'world';
  writeln(t);
  writeln(length(t));
  writeln(upcase(s));
  writeln(lowcase('MiXeD'));
end.
