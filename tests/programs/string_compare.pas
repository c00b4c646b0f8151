program scmp()
var a, b: string[10];
begin
  a := 'apple';
  b := 'banana';
  if a < b then writeln('less'); end;
  if a = 'apple' then writeln('equal'); end;
  if b > a then writeln('greater'); end;
end.
