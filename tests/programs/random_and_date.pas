program rnd()
var i, r, lo, hi, bad, ones, y: integer;
  seen1, seen6: integer;
begin
  ones := 0;
  for i := 1 to 50 do
    if random(1) = 1 then ones := ones + 1; end;
  end;
  writeln('random(1) = 1 in ', ones, ' of 50');
  bad := 0;
  seen1 := 0;
  seen6 := 0;
  for i := 1 to 2000 do
    r := random(6);
    if r < 1 then bad := bad + 1; end;
    if r > 6 then bad := bad + 1; end;
    if r = 1 then seen1 := 1; end;
    if r = 6 then seen6 := 1; end;
  end;
  writeln('random(6) outside 1..6: ', bad);
  writeln('1 and 6 both drawn: ', seen1 + seen6);
  bad := 0;
  for i := 1 to 2000 do
    r := random(100000);
    if (r < 1) or (r > 100000) then bad := bad + 1; end;
  end;
  writeln('random(100000) outside: ', bad);
  y := getyear();
  if (y >= 2024) and (y <= 2100) then writeln('year plausible'); else writeln('year ', y); end;
  r := getmonth();
  if (r >= 1) and (r <= 12) then writeln('month plausible'); end;
  r := getday();
  if (r >= 1) and (r <= 31) then writeln('day plausible'); end;
  r := getdayofweek();
  if (r >= 0) and (r <= 6) then writeln('day of week plausible'); end;
  r := gettime();
  if (r >= 0) and (r < 86400) then writeln('time plausible'); end;
end.
