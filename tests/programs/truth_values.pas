program truth()
var a, b, one, two, m: integer;
  x, y: float;
  s, t: string[10];
begin
  a := 3;
  b := 5;
  one := 1;
  two := 2;
  m := -2;
  x := 2.5;
  y := 7.25;
  s := 'apple';
  t := 'apricot';
  if one and two then writeln('1 and 2 true'); else writeln('1 and 2 = 0'); end;
  if one or two then writeln('1 or 2 true'); end;
  if (a < b) and one then writeln('int < is 1'); end;
  if (a < b) and m then writeln('int < has other bits'); end;
  if (a > b) or 0 then writeln('int > not 0'); else writeln('int > is 0'); end;
  if (a <> b) and one then writeln('int <> is 1'); end;
  if (a <> b) and m then writeln('int <> has other bits'); end;
  if (a = 3) and one then writeln('int = is 1'); end;
  if (a = 3) and m then writeln('int = has other bits'); end;
  if (a >= b) or 0 then writeln('int >= not 0'); else writeln('int >= is 0'); end;
  if (a <= 3) and one then writeln('int <= is 1'); end;
  if (x < y) and one then writeln('float < is 1'); end;
  if (x < y) and m then writeln('float < has other bits'); end;
  if (x > y) or 0 then writeln('float > not 0'); else writeln('float > is 0'); end;
  if (x = 2.5) and one then writeln('float = is 1'); end;
  if (a > x) and one then writeln('int > float is 1'); end;
  if (x >= a) or 0 then writeln('float >= int not 0'); else writeln('float >= int is 0'); end;
  if (s < t) and one then writeln('string < is 1'); end;
  if (s < t) and m then writeln('string < has other bits'); end;
  if (s > t) or 0 then writeln('string > not 0'); else writeln('string > is 0'); end;
  if (s = 'apple') and one then writeln('string = is 1'); end;
  if (s <> 'apple') or 0 then writeln('string <> not 0'); else writeln('string <> is 0'); end;
  if (s != t) and one then writeln('string != is 1'); end;
  if (a < b) and (x < y) and (s < t) then writeln('all three'); end;
end.
