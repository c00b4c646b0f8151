program conds()
var a, b: integer;
begin
  a := 1;
  b := 2;
  if a = 1 and b = 2 then writeln('and'); end;
  if a = 2 or b = 2 then writeln('or'); end;
  if not a = 2 then writeln('not'); end;
  if not a = 1 and b = 2 then writeln('wrong'); else writeln('chain'); end;
  if (a < b) and (b != 3) then writeln('paren'); end;
end.
