program gotos()
label again, done;
var n: integer;
begin
  n := 0;
  again: n := n + 1;
  if n < 5 then goto again; end;
  goto done;
  writeln('skipped');
  done: writeln(n);
end.
