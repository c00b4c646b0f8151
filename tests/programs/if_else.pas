program ifelse()
var a: integer;
begin
  a := 5;
  if a > 3 then writeln('big'); else writeln('small'); end;
  if a < 3 then writeln('small'); end;
  if a = 5 then
    if a <> 4 then writeln('five'); end;
  end;
end.
