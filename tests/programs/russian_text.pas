program ru()
var s: string[10];
begin
  s := 'Привет';
  writeln(s, ' ', length(s));
  writeln(s + ', мир!');
  if 'а' < 'я' then writeln('ok'); end;
  writeln(s:8, '|');
end.
