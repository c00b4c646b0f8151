program control()
label again, done;
var i, j, n, s: integer;
begin
  s := 0;
  i := 10;
  while i < 5 do s := 100; end;
  writeln(s);
  for i := 1 to 3 do
    for j := 1 to 2 do
      write(i * 10 + j, ' ');
    end;
  end;
  writeln;
  n := 0;
  repeat n := n + 1; until n > 0;
  writeln(n);
  n := 0;
again: n := n + 1;
  if n < 5 then goto again; end;
  goto done;
  writeln('skipped');
done: writeln(n);
  case n of
    1: do writeln('one'); end;
    2..5: do writeln('two to five'); end;
    else do writeln('other'); end;
  end;
  if n > 10 then writeln('big'); else writeln('small'); end;
end.
