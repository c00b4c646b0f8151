program tour()
type
  cell = record
    v: integer;
  end;
  pcell = ^cell;
var n, k: integer;
  x: float;
  s, t: string[60];
  f: text;
  p: pcell;
begin
  readln(n);
  readln(x);
  readln(s);
  writeln(n + 1, ' ', x:6:2, ' ', s);
  write('math:');
  writeln(sqrt(16.0):6:2, sin(0.0):6:2, cos(0.0):6:2, tg(0.0):6:2, arctg(1.0):7:3);
  writeln(round(2.7), ' ', trunc(2.7), ' ', abs(0 - 3), ' ', abs(0.0 - 2.5):5:2);
  writeln(length(s), ' ', pos('b', s), ' ', substr(s, 2, 2), ' ', upcase(s), ' ', lowcase('XyZ'));
  writeln(strtoint('123') + 1, ' ', inttostr(0 - 45), ' ', strtofloat('3.25'):5:2, ' ', floattostr(1.5));
  k := random(10);
  if k >= 1 then if k <= 10 then writeln('random ok'); end; end;
  if getyear() >= 2024 then writeln('year ok'); end;
  k := getmonth();
  if k >= 1 then if k <= 12 then writeln('month ok'); end; end;
  k := getday();
  if k >= 1 then if k <= 31 then writeln('day ok'); end; end;
  k := getdayofweek();
  if k >= 0 then if k <= 6 then writeln('weekday ok'); end; end;
  k := gettime();
  if k >= 0 then if k < 86400 then writeln('time ok'); end; end;
  f := rewrite('tour.txt');
  writestring(f, 'one');
  close(f);
  f := append('tour.txt');
  writestring(f, 'two');
  close(f);
  f := reset('tour.txt');
  while eof(f) = 0 do
    t := readstring(f);
    write(t, ';');
  end;
  writeln;
  close(f);
  k := paramcount();
  t := paramstr(1);
  writeln(k, ' ', t, ' [', paramstr(2), ']');
  t := getcommandline();
  if pos('tour', t) > 0 then writeln('command line ok'); end;
  clrscr();
  poscursor(1, 2);
  hidecursor();
  showcursor();
  new(p);
  p^.v := 5;
  writeln(p^.v);
  free(p);
  if p = nil then writeln('end of tour'); end;
end.
