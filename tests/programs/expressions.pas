program expressions()
var a, b, r: integer;
  s: string[5];
  t: string[20];
  x: float;
begin
  a := -7;
  b := 2;
  writeln(a div b, ' ', a mod b);
  s := 'abcdefgh';
  writeln(s);
  t := s + 'xyz';
  writeln(t, ' ', length(t));
  writeln(random(1));
  writeln(42);
  writeln(42:5, '|');
  writeln('abc':6, '|');
  x := 2.5;
  writeln(x * 2:6:2);
  writeln(1.5:5:1);
  r := 2147483647;
  r := r + 1;
  writeln(r);
  if getyear() > 2023 then writeln('year ok'); end;
  r := gettime();
  if r >= 0 then
    if r < 86400 then writeln('time ok'); end;
  end;
end.
